#pragma once

namespace figury {

// Every text the user sees, as the Windows-1250 bytes the program shows. A
// hex escape takes every hex digit that follows it, so a literal is split
// where a letter a-f follows an escaped one.
//
// Each text is one array for the whole program, and the program hands each
// on by its address (to Windows, in the button table, as the status text), so
// each is kept in the executable as its bytes with their terminator: the
// executable's own test looks for them there.

// Window caption and greeting box.
inline constexpr char titleLine[] = "Figury - edytor figur";
inline constexpr char greetingCaption[] = "dane";

// Message boxes.
// "Brak danych do wczytania lub dane są nieprawidłowe"
inline constexpr char loadFailureText[] = "Brak danych do wczytania lub dane s\xB9 nieprawid\xB3owe";
inline constexpr char loadFailureCaption[] = "Brak danych";

// "Nie udało się zapisać danych do pliku Dane/obiekt.obj"
inline constexpr char saveFailureText[] = "Nie uda\xB3o si\xEA zapisa\xE6 danych do pliku Dane/obiekt.obj";
// The choices follow the buttons of MB_CANCELTRYCONTINUE: try again, cancel the
// close, continue it. "Możesz spróbować ponownie, anulować zamykanie i wrócić
// do edycji z zachowaną figurą albo kontynuować zamykanie bez zapisu."
inline constexpr char saveFailureChoicesText[] =
    "Nie uda\xB3o si\xEA zapisa\xE6 danych do pliku Dane/obiekt.obj\n\n"
    "Mo\xBF"
    "esz spr\xF3"
    "bowa\xE6 ponownie, anulowa\xE6 zamykanie i wr\xF3"
    "ci\xE6 do edycji z zachowan\xB9 "
    "figur\xB9 albo kontynuowa\xE6 zamykanie bez zapisu.";
// "Błąd zapisu"
inline constexpr char saveFailureCaption[] =
    "B\xB3\xB9"
    "d zapisu";

// "Inny program zapisał plik Dane/obiekt.obj od uruchomienia edytora.
// Tak - zapisz w nim figurę z edytora, zastępując zmieniony plik.
// Nie - zachowaj zmieniony plik i zamknij bez zapisu. Anuluj - wróć do edycji."
inline constexpr char changedFileText[] =
    "Inny program zapisa\xB3 plik Dane/obiekt.obj od uruchomienia edytora.\n\n"
    "Tak - zapisz w nim figur\xEA z edytora, zast\xEApuj\xB9"
    "c zmieniony plik.\n"
    "Nie - zachowaj zmieniony plik i zamknij bez zapisu.\n"
    "Anuluj - wr\xF3\xE6 do edycji.";
// "Plik został zmieniony"
inline constexpr char changedFileCaption[] = "Plik zosta\xB3 zmieniony";

// Button labels.
inline constexpr char buttonAddPoint[] = "wstaw punkt";
inline constexpr char buttonDeletePoint[] = "usu\xF1 punkt";  // "usuń punkt"
inline constexpr char buttonMovePoint[] = "przesun punkt";
inline constexpr char buttonInsertLine[] = "wstaw linie";
inline constexpr char buttonDeleteLine[] = "usu\xF1 linie";  // "usuń linie"

// Status messages: the prompt after each command.
// "Dodawanie punktu - Wskaz miejsce gdzie ma sie znajdować nowy punkt"
inline constexpr char promptAddPoint[] =
    "Dodawanie punktu - Wskaz miejsce gdzie ma sie znajdowa\xE6 nowy punkt";
inline constexpr char promptDeletePoint[] = "Usuwanie punktu - Wskaz punkt do usuniecia";
// "Przesuwanie punktu - Wskaz punkt do przesunięcia"
inline constexpr char promptMovePoint[] =
    "Przesuwanie punktu - Wskaz punkt do przesuni\xEA"
    "cia";
inline constexpr char promptInsertLine[] = "Wstawianie linii - Wskaz pierwszy punk linii";
// "Usuwanie linii - Wskaz linię do usunięcia"
inline constexpr char promptDeleteLine[] =
    "Usuwanie linii - Wskaz lini\xEA do usuni\xEA"
    "cia";

// Status messages after each pick.
inline constexpr char donePointAdded[] = "Dodano nowy punkt";
inline constexpr char donePointDeleted[] = "Punkt zosta\xB3 usuni\xEAty";  // "Punkt został usunięty"
inline constexpr char promptMoveDestination[] = "Przesuwanie punktu - Wskaz miejsce docelowe dla punku";
inline constexpr char donePointMoved[] = "Punkt zosta\xB3 przesuni\xEAty";  // "Punkt został przesunięty"
inline constexpr char promptLineSecond[] = "Wstawianie linii - Wskaz drugi punk linii";
inline constexpr char doneLineInserted[] = "Wstawiono lini\xEA";   // "Wstawiono linię"
inline constexpr char doneLineDeleted[] = "Usuni\xEAto lini\xEA";  // "Usunięto linię"
// After Esc called off a half-done operation.
inline constexpr char operationCancelled[] = "Anulowano";

// Status messages after undo and redo, for each kind of edit, and when there
// is nothing to undo or redo. "Cofnięto dodanie punktu", "Cofnięto usunięcie punktu",
// "Cofnięto przesunięcie punktu", "Cofnięto dodanie linii", "Cofnięto
// usunięcie linii"; "Przywrócono" the same; "Nie ma czego cofnąć", "Nie ma
// czego przywrócić".
inline constexpr char undonePointAdded[] = "Cofni\xEAto dodanie punktu";
inline constexpr char undonePointDeleted[] =
    "Cofni\xEAto usuni\xEA"
    "cie punktu";
inline constexpr char undonePointMoved[] =
    "Cofni\xEAto przesuni\xEA"
    "cie punktu";
inline constexpr char undoneLineInserted[] = "Cofni\xEAto dodanie linii";
inline constexpr char undoneLineDeleted[] =
    "Cofni\xEAto usuni\xEA"
    "cie linii";
inline constexpr char redonePointAdded[] =
    "Przywr\xF3"
    "cono dodanie punktu";
inline constexpr char redonePointDeleted[] =
    "Przywr\xF3"
    "cono usuni\xEA"
    "cie punktu";
inline constexpr char redonePointMoved[] =
    "Przywr\xF3"
    "cono przesuni\xEA"
    "cie punktu";
inline constexpr char redoneLineInserted[] =
    "Przywr\xF3"
    "cono dodanie linii";
inline constexpr char redoneLineDeleted[] =
    "Przywr\xF3"
    "cono usuni\xEA"
    "cie linii";
inline constexpr char nothingToUndo[] = "Nie ma czego cofn\xB9\xE6";
inline constexpr char nothingToRedo[] =
    "Nie ma czego przywr\xF3"
    "ci\xE6";

// The session's journal and the save at Ctrl+S.
// "Odzyskiwanie figury"
inline constexpr char recoveryCaption[] = "Odzyskiwanie figury";
// The box asking whether to recover a session that did not close, split
// around the count of its steps: "Poprzednia sesja edytora nie zakończyła się
// zapisem figury.\n\nTak - przywróć zmiany z tamtej sesji (" N " zmian).\nNie -
// porzuć je i zacznij od figury z pliku."
inline constexpr char recoveryTextBeforeCount[] =
    "Poprzednia sesja edytora nie zako\xF1"
    "czy\xB3"
    "a si\xEA zapisem figury.\n\n"
    "Tak - przywr\xF3\xE6 zmiany z tamtej sesji (";
inline constexpr char recoveryTextAfterCount[] =
    " zmian).\n"
    "Nie - porzu\xE6 je i zacznij od figury z pliku.";
// "Ten plik jest już otwarty w innym oknie edytora. Zmiany zapisane w jednym
// oknie mogą zostać zastąpione przy zamknięciu drugiego."
inline constexpr char otherCopyText[] =
    "Ten plik jest ju\xBF otwarty w innym oknie edytora. Zmiany zapisane w jednym oknie mog\xB9 "
    "zosta\xE6 zast\xB9pione przy zamkni\xEA"
    "ciu drugiego.";
// "Plik otwarty w innym oknie"
inline constexpr char otherCopyCaption[] = "Plik otwarty w innym oknie";
// "Zmiany nie są zabezpieczane: nie można zapisać pliku odzyskiwania"
inline constexpr char journalFailureText[] =
    "Zmiany nie s\xB9 zabezpieczane: nie mo\xBFna zapisa\xE6 pliku odzyskiwania";
// "Nie udało się odczytać pliku odzyskiwania; odłożono go z dopiskiem .uszkodzony"
inline constexpr char journalSetAsideText[] =
    "Nie uda\xB3o si\xEA odczyta\xE6 pliku odzyskiwania; od\xB3o\xBFono go z dopiskiem .uszkodzony";
// "Przywrócono zmiany z poprzedniej sesji"
inline constexpr char recoveredText[] =
    "Przywr\xF3"
    "cono zmiany z poprzedniej sesji";
// "Figura została zapisana"
inline constexpr char figureSavedText[] =
    "Figura zosta\xB3"
    "a zapisana";
// "Nie ma zmian do zapisania"
inline constexpr char nothingToSaveText[] = "Nie ma zmian do zapisania";
// The failure of a save at Ctrl+S, with the buttons of MB_RETRYCANCEL: "Nie
// udało się zapisać danych do pliku Dane/obiekt.obj\n\nMożesz spróbować
// ponownie albo anulować i wrócić do edycji."
inline constexpr char saveNowFailureText[] =
    "Nie uda\xB3o si\xEA zapisa\xE6 danych do pliku Dane/obiekt.obj\n\n"
    "Mo\xBF"
    "esz spr\xF3"
    "bowa\xE6 ponownie albo anulowa\xE6 i wr\xF3"
    "ci\xE6 do edycji.";
// Ctrl+S at a file another program changed, with the buttons of MB_YESNO:
// "Inny program zapisał plik Dane/obiekt.obj od uruchomienia edytora.\n\nTak -
// zapisz w nim figurę z edytora, zastępując zmieniony plik.\nNie - zachowaj
// zmieniony plik i wróć do edycji bez zapisu."
inline constexpr char saveNowChangedFileText[] =
    "Inny program zapisa\xB3 plik Dane/obiekt.obj od uruchomienia edytora.\n\n"
    "Tak - zapisz w nim figur\xEA z edytora, zast\xEApuj\xB9"
    "c zmieniony plik.\n"
    "Nie - zachowaj zmieniony plik i wr\xF3\xE6 do edycji bez zapisu.";

// A file the load could not read, which the edits would replace:
// "Pliku Dane/obiekt.obj nie udało się wczytać: dane są nieprawidłowe.\n\n
// Tak - zapisz w nim figurę z edytora, zastępując jego zawartość.\nNie -
// zachowaj plik i zamknij bez zapisu.\nAnuluj - wróć do edycji."
inline constexpr char unreadFileText[] =
    "Pliku Dane/obiekt.obj nie uda\xB3o si\xEA wczyta\xE6: dane s\xB9 nieprawid\xB3owe.\n\n"
    "Tak - zapisz w nim figur\xEA z edytora, zast\xEApuj\xB9"
    "c jego zawarto\x9C\xE6.\n"
    "Nie - zachowaj plik i zamknij bez zapisu.\n"
    "Anuluj - wr\xF3\xE6 do edycji.";
// "Plik nie został wczytany"
inline constexpr char unreadFileCaption[] = "Plik nie zosta\xB3 wczytany";
// The same at Ctrl+S, with the buttons of MB_YESNO: "... Tak - zapisz w nim
// figurę z edytora, zastępując jego zawartość.\nNie - zachowaj plik i wróć
// do edycji bez zapisu."
inline constexpr char saveNowUnreadFileText[] =
    "Pliku Dane/obiekt.obj nie uda\xB3o si\xEA wczyta\xE6: dane s\xB9 nieprawid\xB3owe.\n\n"
    "Tak - zapisz w nim figur\xEA z edytora, zast\xEApuj\xB9"
    "c jego zawarto\x9C\xE6.\n"
    "Nie - zachowaj plik i wr\xF3\xE6 do edycji bez zapisu.";

}  // namespace figury
