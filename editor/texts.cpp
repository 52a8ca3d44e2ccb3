#include "editor/texts.h"

namespace figury {

// A hex escape takes every hex digit that follows it, so a literal is split
// where a letter a-f follows an escaped one.

// Window caption and greeting box.
const char titleLine[] = "Figury - edytor figur";
const char greetingCaption[] = "dane";

// "Brak danych do wczytania lub dane są nieprawidłowe"
const char loadFailureText[] = "Brak danych do wczytania lub dane s\xB9 nieprawid\xB3owe";
const char loadFailureCaption[] = "Brak danych";

// "Nie udało się zapisać danych do pliku Dane/obiekt.obj"
const char saveFailureText[] = "Nie uda\xB3o si\xEA zapisa\xE6 danych do pliku Dane/obiekt.obj";
// The choices follow the buttons of MB_CANCELTRYCONTINUE: try again, cancel the
// close, continue it. "Możesz spróbować ponownie, anulować zamykanie i wrócić
// do edycji z zachowaną figurą albo kontynuować zamykanie bez zapisu."
const char saveFailureChoicesText[] =
    "Nie uda\xB3o si\xEA zapisa\xE6 danych do pliku Dane/obiekt.obj\n\n"
    "Mo\xBF"
    "esz spr\xF3"
    "bowa\xE6 ponownie, anulowa\xE6 zamykanie i wr\xF3"
    "ci\xE6 do edycji z zachowan\xB9 "
    "figur\xB9 albo kontynuowa\xE6 zamykanie bez zapisu.";
// "Błąd zapisu"
const char saveFailureCaption[] =
    "B\xB3\xB9"
    "d zapisu";

// "Inny program zapisał plik Dane/obiekt.obj od uruchomienia edytora.
// Tak - zapisz w nim figurę z edytora, zastępując zmieniony plik.
// Nie - zachowaj zmieniony plik i zamknij bez zapisu. Anuluj - wróć do edycji."
const char changedFileText[] =
    "Inny program zapisa\xB3 plik Dane/obiekt.obj od uruchomienia edytora.\n\n"
    "Tak - zapisz w nim figur\xEA z edytora, zast\xEApuj\xB9"
    "c zmieniony plik.\n"
    "Nie - zachowaj zmieniony plik i zamknij bez zapisu.\n"
    "Anuluj - wr\xF3\xE6 do edycji.";
// "Plik został zmieniony"
const char changedFileCaption[] = "Plik zosta\xB3 zmieniony";

const char buttonAddPoint[] = "wstaw punkt";
const char buttonDeletePoint[] = "usu\xF1 punkt";  // "usuń punkt"
const char buttonMovePoint[] = "przesun punkt";
const char buttonInsertLine[] = "wstaw linie";
const char buttonDeleteLine[] = "usu\xF1 linie";  // "usuń linie"

// Prompts after each command.
// "Dodawanie punktu - Wskaz miejsce gdzie ma sie znajdować nowy punkt"
const char promptAddPoint[] = "Dodawanie punktu - Wskaz miejsce gdzie ma sie znajdowa\xE6 nowy punkt";
const char promptDeletePoint[] = "Usuwanie punktu - Wskaz punkt do usuniecia";
// "Przesuwanie punktu - Wskaz punkt do przesunięcia"
const char promptMovePoint[] =
    "Przesuwanie punktu - Wskaz punkt do przesuni\xEA"
    "cia";
const char promptInsertLine[] = "Wstawianie linii - Wskaz pierwszy punk linii";
// "Usuwanie linii - Wskaz linię do usunięcia"
const char promptDeleteLine[] =
    "Usuwanie linii - Wskaz lini\xEA do usuni\xEA"
    "cia";

// Messages after each pick.
const char donePointAdded[] = "Dodano nowy punkt";
const char donePointDeleted[] = "Punkt zosta\xB3 usuni\xEAty";  // "Punkt został usunięty"
const char promptMoveDestination[] = "Przesuwanie punktu - Wskaz miejsce docelowe dla punku";
const char donePointMoved[] = "Punkt zosta\xB3 przesuni\xEAty";  // "Punkt został przesunięty"
const char promptLineSecond[] = "Wstawianie linii - Wskaz drugi punk linii";
const char doneLineInserted[] = "Wstawiono lini\xEA";   // "Wstawiono linię"
const char doneLineDeleted[] = "Usuni\xEAto lini\xEA";  // "Usunięto linię"

// After undo and redo. "Cofnięto dodanie punktu", "Cofnięto usunięcie punktu",
// "Cofnięto przesunięcie punktu", "Cofnięto dodanie linii", "Cofnięto
// usunięcie linii"; "Przywrócono" the same; "Nie ma czego cofnąć", "Nie ma
// czego przywrócić".
const char undonePointAdded[] = "Cofni\xEAto dodanie punktu";
const char undonePointDeleted[] =
    "Cofni\xEAto usuni\xEA"
    "cie punktu";
const char undonePointMoved[] =
    "Cofni\xEAto przesuni\xEA"
    "cie punktu";
const char undoneLineInserted[] = "Cofni\xEAto dodanie linii";
const char undoneLineDeleted[] =
    "Cofni\xEAto usuni\xEA"
    "cie linii";
const char redonePointAdded[] =
    "Przywr\xF3"
    "cono dodanie punktu";
const char redonePointDeleted[] =
    "Przywr\xF3"
    "cono usuni\xEA"
    "cie punktu";
const char redonePointMoved[] =
    "Przywr\xF3"
    "cono przesuni\xEA"
    "cie punktu";
const char redoneLineInserted[] =
    "Przywr\xF3"
    "cono dodanie linii";
const char redoneLineDeleted[] =
    "Przywr\xF3"
    "cono usuni\xEA"
    "cie linii";
const char nothingToUndo[] = "Nie ma czego cofn\xB9\xE6";
const char nothingToRedo[] =
    "Nie ma czego przywr\xF3"
    "ci\xE6";

}  // namespace figury
