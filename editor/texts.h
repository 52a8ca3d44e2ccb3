#pragma once

// Every text the user sees, as the Windows-1250 bytes the program shows.
// A hex escape takes every hex digit that follows it, so a literal is split
// where a letter a-f follows an escaped one.

// Window caption and greeting box.
inline constexpr char titleLine[] = "Figury - edytor figur";
inline constexpr char greetingCaption[] = "dane";

// "Brak danych do wczytania lub dane są nieprawidłowe"
inline constexpr char loadFailureText[] = "Brak danych do wczytania lub dane s\xB9 nieprawid\xB3owe";
inline constexpr char loadFailureCaption[] = "Brak danych";

// "Nie udało się zapisać danych do pliku Dane/obiekt.obj"
inline constexpr char saveFailureText[] =
    "Nie uda\xB3o si\xEA zapisa\xE6 danych do pliku Dane/obiekt.obj";
// "Błąd zapisu"
inline constexpr char saveFailureCaption[] = "B\xB3\xB9" "d zapisu";

inline constexpr char buttonAddPoint[] = "wstaw punkt";
inline constexpr char buttonDeletePoint[] = "usu\xF1 punkt";  // "usuń punkt"
inline constexpr char buttonMovePoint[] = "przesun punkt";
inline constexpr char buttonInsertLine[] = "wstaw linie";
inline constexpr char buttonDeleteLine[] = "usu\xF1 linie";  // "usuń linie"

// Prompts after each command.
// "Dodawanie punktu - Wskaz miejsce gdzie ma sie znajdować nowy punkt"
inline constexpr char promptAddPoint[] =
    "Dodawanie punktu - Wskaz miejsce gdzie ma sie znajdowa\xE6 nowy punkt";
inline constexpr char promptDeletePoint[] = "Usuwanie punktu - Wskaz punkt do usuniecia";
// "Przesuwanie punktu - Wskaz punkt do przesunięcia"
inline constexpr char promptMovePoint[] = "Przesuwanie punktu - Wskaz punkt do przesuni\xEA" "cia";
inline constexpr char promptInsertLine[] = "Wstawianie linii - Wskaz pierwszy punk linii";
// "Usuwanie linii - Wskaz linię do usunięcia"
inline constexpr char promptDeleteLine[] = "Usuwanie linii - Wskaz lini\xEA do usuni\xEA" "cia";

// Messages after each pick.
inline constexpr char donePointAdded[] = "Dodano nowy punkt";
inline constexpr char donePointDeleted[] = "Punkt zosta\xB3 usuni\xEAty";  // "Punkt został usunięty"
inline constexpr char promptMoveDestination[] = "Przesuwanie punktu - Wskaz miejsce docelowe dla punku";
inline constexpr char donePointMoved[] = "Punkt zosta\xB3 przesuni\xEAty";  // "Punkt został przesunięty"
inline constexpr char promptLineSecond[] = "Wstawianie linii - Wskaz drugi punk linii";
inline constexpr char doneLineInserted[] = "Wstawiono lini\xEA";       // "Wstawiono linię"
inline constexpr char doneLineDeleted[] = "Usuni\xEAto lini\xEA";      // "Usunięto linię"
