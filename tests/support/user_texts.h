#pragma once

// Every text the user reads, written once, in UTF-8, as the user must read it:
// the tests of every tier check the program against this list, which is kept
// apart from the program's own texts on purpose. windows1250() gives the bytes
// the program must hold and show; wide() the same text in UTF-16, as the
// end-to-end tests draw it to compare with the screen.

#include <array>
#include <string>
#include <string_view>

namespace figury {

namespace user_texts {

inline constexpr std::string_view title = "Figury - edytor figur";
inline constexpr std::string_view greetingCaption = "dane";
inline constexpr std::string_view loadFailure = "Brak danych do wczytania lub dane są nieprawidłowe";
inline constexpr std::string_view loadFailureCaption = "Brak danych";
inline constexpr std::string_view saveFailure = "Nie udało się zapisać danych do pliku Dane/obiekt.obj";
inline constexpr std::string_view saveFailureChoices =
    "Nie udało się zapisać danych do pliku Dane/obiekt.obj\n\nMożesz spróbować ponownie, anulować zamykanie "
    "i "
    "wrócić do edycji z zachowaną figurą albo kontynuować zamykanie bez zapisu.";
inline constexpr std::string_view saveFailureCaption = "Błąd zapisu";
inline constexpr std::string_view changedFile =
    "Inny program zapisał plik Dane/obiekt.obj od uruchomienia edytora.\n\n"
    "Tak - zapisz w nim figurę z edytora, zastępując zmieniony plik.\n"
    "Nie - zachowaj zmieniony plik i zamknij bez zapisu.\n"
    "Anuluj - wróć do edycji.";
inline constexpr std::string_view changedFileCaption = "Plik został zmieniony";

inline constexpr std::string_view buttonAddPoint = "wstaw punkt";
inline constexpr std::string_view buttonDeletePoint = "usuń punkt";
inline constexpr std::string_view buttonMovePoint = "przesun punkt";
inline constexpr std::string_view buttonInsertLine = "wstaw linie";
inline constexpr std::string_view buttonDeleteLine = "usuń linie";

inline constexpr std::string_view promptAddPoint =
    "Dodawanie punktu - Wskaz miejsce gdzie ma sie znajdować nowy punkt";
inline constexpr std::string_view promptDeletePoint = "Usuwanie punktu - Wskaz punkt do usuniecia";
inline constexpr std::string_view promptMovePoint = "Przesuwanie punktu - Wskaz punkt do przesunięcia";
inline constexpr std::string_view promptInsertLine = "Wstawianie linii - Wskaz pierwszy punk linii";
inline constexpr std::string_view promptDeleteLine = "Usuwanie linii - Wskaz linię do usunięcia";
inline constexpr std::string_view pointAdded = "Dodano nowy punkt";
inline constexpr std::string_view pointDeleted = "Punkt został usunięty";
inline constexpr std::string_view promptMoveDestination =
    "Przesuwanie punktu - Wskaz miejsce docelowe dla punku";
inline constexpr std::string_view pointMoved = "Punkt został przesunięty";
inline constexpr std::string_view promptLineSecond = "Wstawianie linii - Wskaz drugi punk linii";
inline constexpr std::string_view lineInserted = "Wstawiono linię";
inline constexpr std::string_view lineDeleted = "Usunięto linię";
inline constexpr std::string_view cancelled = "Anulowano";
inline constexpr std::string_view undonePointAdded = "Cofnięto dodanie punktu";
inline constexpr std::string_view undonePointDeleted = "Cofnięto usunięcie punktu";
inline constexpr std::string_view undonePointMoved = "Cofnięto przesunięcie punktu";
inline constexpr std::string_view undoneLineInserted = "Cofnięto dodanie linii";
inline constexpr std::string_view undoneLineDeleted = "Cofnięto usunięcie linii";
inline constexpr std::string_view redonePointAdded = "Przywrócono dodanie punktu";
inline constexpr std::string_view redonePointDeleted = "Przywrócono usunięcie punktu";
inline constexpr std::string_view redonePointMoved = "Przywrócono przesunięcie punktu";
inline constexpr std::string_view redoneLineInserted = "Przywrócono dodanie linii";
inline constexpr std::string_view redoneLineDeleted = "Przywrócono usunięcie linii";
inline constexpr std::string_view nothingToUndo = "Nie ma czego cofnąć";
inline constexpr std::string_view nothingToRedo = "Nie ma czego przywrócić";

inline constexpr std::string_view recoveryCaption = "Odzyskiwanie figury";
// The recovery box's text is these two around the count of steps.
inline constexpr std::string_view recoveryBeforeCount =
    "Poprzednia sesja edytora nie zakończyła się zapisem figury.\n\n"
    "Tak - przywróć zmiany z tamtej sesji (";
inline constexpr std::string_view recoveryAfterCount =
    " zmian).\nNie - porzuć je i zacznij od figury z pliku.";
inline std::string recovery(size_t steps) {
    return std::string(recoveryBeforeCount) + std::to_string(steps) + std::string(recoveryAfterCount);
}
inline constexpr std::string_view otherCopy =
    "Ten plik jest już otwarty w innym oknie edytora. Zmiany zapisane w jednym oknie mogą zostać "
    "zastąpione przy zamknięciu drugiego.";
inline constexpr std::string_view otherCopyCaption = "Plik otwarty w innym oknie";
inline constexpr std::string_view journalFailure =
    "Zmiany nie są zabezpieczane: nie można zapisać pliku odzyskiwania";
inline constexpr std::string_view journalSetAside =
    "Nie udało się odczytać pliku odzyskiwania; odłożono go z dopiskiem .uszkodzony";
inline constexpr std::string_view recovered = "Przywrócono zmiany z poprzedniej sesji";
inline constexpr std::string_view figureSaved = "Figura została zapisana";
inline constexpr std::string_view nothingToSave = "Nie ma zmian do zapisania";
inline constexpr std::string_view saveNowFailure =
    "Nie udało się zapisać danych do pliku Dane/obiekt.obj\n\n"
    "Możesz spróbować ponownie albo anulować i wrócić do edycji.";
inline constexpr std::string_view saveNowChangedFile =
    "Inny program zapisał plik Dane/obiekt.obj od uruchomienia edytora.\n\n"
    "Tak - zapisz w nim figurę z edytora, zastępując zmieniony plik.\n"
    "Nie - zachowaj zmieniony plik i wróć do edycji bez zapisu.";
inline constexpr std::string_view unreadFile =
    "Pliku Dane/obiekt.obj nie udało się wczytać: dane są nieprawidłowe.\n\n"
    "Tak - zapisz w nim figurę z edytora, zastępując jego zawartość.\n"
    "Nie - zachowaj plik i zamknij bez zapisu.\n"
    "Anuluj - wróć do edycji.";
inline constexpr std::string_view unreadFileCaption = "Plik nie został wczytany";
inline constexpr std::string_view saveNowUnreadFile =
    "Pliku Dane/obiekt.obj nie udało się wczytać: dane są nieprawidłowe.\n\n"
    "Tak - zapisz w nim figurę z edytora, zastępując jego zawartość.\n"
    "Nie - zachowaj plik i wróć do edycji bez zapisu.";

inline constexpr std::array<std::string_view, 55> all = {
    title,
    greetingCaption,
    loadFailure,
    loadFailureCaption,
    saveFailure,
    saveFailureChoices,
    saveFailureCaption,
    changedFile,
    changedFileCaption,
    buttonAddPoint,
    buttonDeletePoint,
    buttonMovePoint,
    buttonInsertLine,
    buttonDeleteLine,
    promptAddPoint,
    promptDeletePoint,
    promptMovePoint,
    promptInsertLine,
    promptDeleteLine,
    pointAdded,
    pointDeleted,
    promptMoveDestination,
    pointMoved,
    promptLineSecond,
    lineInserted,
    lineDeleted,
    cancelled,
    undonePointAdded,
    undonePointDeleted,
    undonePointMoved,
    undoneLineInserted,
    undoneLineDeleted,
    redonePointAdded,
    redonePointDeleted,
    redonePointMoved,
    redoneLineInserted,
    redoneLineDeleted,
    nothingToUndo,
    nothingToRedo,
    recoveryCaption,
    recoveryBeforeCount,
    recoveryAfterCount,
    otherCopy,
    otherCopyCaption,
    journalFailure,
    journalSetAside,
    recovered,
    figureSaved,
    nothingToSave,
    saveNowFailure,
    saveNowChangedFile,
    unreadFile,
    unreadFileCaption,
    saveNowUnreadFile,
};

// The labels of the command buttons, in the bar's order.
inline constexpr std::array<std::string_view, 5> buttonLabels = {
    buttonAddPoint, buttonDeletePoint, buttonMovePoint, buttonInsertLine, buttonDeleteLine,
};

// Every message of the status line.
inline constexpr std::array<std::string_view, 30> statusMessages = {
    promptAddPoint,     promptDeletePoint,  promptMovePoint,    promptInsertLine,
    promptDeleteLine,   pointAdded,         pointDeleted,       promptMoveDestination,
    pointMoved,         promptLineSecond,   lineInserted,       lineDeleted,
    undonePointAdded,   undonePointDeleted, undonePointMoved,   undoneLineInserted,
    undoneLineDeleted,  redonePointAdded,   redonePointDeleted, redonePointMoved,
    redoneLineInserted, redoneLineDeleted,  nothingToUndo,      nothingToRedo,
    cancelled,          journalFailure,     journalSetAside,    recovered,
    figureSaved,        nothingToSave,
};

// The UTF-8 letters of the Polish alphabet beyond ASCII, and their Windows-1250 bytes.
struct PolishLetter {
    std::string_view utf8;
    char windows1250;
};
inline constexpr PolishLetter polishLetters[] = {
    {"ą", '\xB9'}, {"ć", '\xE6'}, {"ę", '\xEA'}, {"ł", '\xB3'}, {"ń", '\xF1'}, {"ó", '\xF3'},
    {"ś", '\x9C'}, {"ź", '\x9F'}, {"ż", '\xBF'}, {"Ą", '\xA5'}, {"Ć", '\xC6'}, {"Ę", '\xCA'},
    {"Ł", '\xA3'}, {"Ń", '\xD1'}, {"Ó", '\xD3'}, {"Ś", '\x8C'}, {"Ź", '\x8F'}, {"Ż", '\xAF'},
};

// The bytes the program holds for a text of this list.
inline std::string windows1250(std::string_view utf8) {
    std::string bytes;
    for (size_t i = 0; i < utf8.size();) {
        bool letter = false;
        for (const PolishLetter& polish : polishLetters) {
            if (utf8.substr(i, polish.utf8.size()) == polish.utf8) {
                bytes += polish.windows1250;
                i += polish.utf8.size();
                letter = true;
                break;
            }
        }
        if (!letter) {
            bytes += utf8[i++];
        }
    }
    return bytes;
}

inline std::wstring wide(std::string_view utf8) {
    std::wstring text;
    for (size_t i = 0; i < utf8.size(); ++i) {
        const auto byte = static_cast<unsigned char>(utf8[i]);
        if (byte < 0x80 || i + 1 == utf8.size()) {
            text += static_cast<wchar_t>(byte);
        } else {  // every letter here takes two bytes
            text +=
                static_cast<wchar_t>(((byte & 0x1Fu) << 6) | (static_cast<unsigned char>(utf8[++i]) & 0x3Fu));
        }
    }
    return text;
}

}  // namespace user_texts

}  // namespace figury
