cmake_minimum_required(VERSION 3.25)

# Checks that figury.exe holds every text the user sees as Windows-1250
# bytes, each with its terminator, and none of them as UTF-8.
#   cmake -DFIGURY_EXE=path/figury.exe -P check_texts.cmake

set(texts
  "Figury - edytor figur"
  "dane"
  "Brak danych do wczytania lub dane są nieprawidłowe"
  "Brak danych"
  "Nie udało się zapisać danych do pliku Dane/obiekt.obj"
  "Nie udało się zapisać danych do pliku Dane/obiekt.obj\n\nMożesz spróbować ponownie, anulować zamykanie i wrócić do edycji z zachowaną figurą albo kontynuować zamykanie bez zapisu."
  "Błąd zapisu"
  "wstaw punkt"
  "usuń punkt"
  "przesun punkt"
  "wstaw linie"
  "usuń linie"
  "Dodawanie punktu - Wskaz miejsce gdzie ma sie znajdować nowy punkt"
  "Usuwanie punktu - Wskaz punkt do usuniecia"
  "Przesuwanie punktu - Wskaz punkt do przesunięcia"
  "Wstawianie linii - Wskaz pierwszy punk linii"
  "Usuwanie linii - Wskaz linię do usunięcia"
  "Dodano nowy punkt"
  "Punkt został usunięty"
  "Przesuwanie punktu - Wskaz miejsce docelowe dla punku"
  "Punkt został przesunięty"
  "Wstawianie linii - Wskaz drugi punk linii"
  "Wstawiono linię"
  "Usunięto linię"
)

# The UTF-8 bytes of each Polish letter and its Windows-1250 byte.
set(letters
  "c4 85:b9" "c4 87:e6" "c4 99:ea" "c5 82:b3" "c5 84:f1"
  "c3 b3:f3" "c5 9b:9c" "c5 ba:9f" "c5 bc:bf" "c5 81:a3"
)

if(NOT EXISTS "${FIGURY_EXE}")
  message(FATAL_ERROR "no executable at '${FIGURY_EXE}'")
endif()
file(READ "${FIGURY_EXE}" exe HEX)

# Finds hex at a byte boundary of exe (an odd offset would split bytes).
function(find_bytes hex result)
  set(rest "${exe}")
  set(found FALSE)
  while(TRUE)
    string(FIND "${rest}" "${hex}" at)
    if(at EQUAL -1)
      break()
    endif()
    math(EXPR odd "${at} % 2")
    if(odd EQUAL 0)
      set(found TRUE)
      break()
    endif()
    math(EXPR next "${at} + 1")
    string(SUBSTRING "${rest}" ${next} -1 rest)
  endwhile()
  set(${result} ${found} PARENT_SCOPE)
endfunction()

set(missing 0)
foreach(text IN LISTS texts)
  string(HEX "${text}" utf8)
  # One "xx " token a byte, so a replacement can only match whole bytes.
  string(REGEX REPLACE "(..)" "\\1 " tokens "${utf8}")
  foreach(letter IN LISTS letters)
    string(REPLACE ":" ";" pair "${letter}")
    list(GET pair 0 from)
    list(GET pair 1 to)
    string(REPLACE "${from} " "${to} " tokens "${tokens}")
  endforeach()
  if(tokens MATCHES "(^| )c[345] ")
    message(FATAL_ERROR "a letter of '${text}' has no Windows-1250 byte in this script")
  endif()
  string(REPLACE " " "" cp1250 "${tokens}")

  find_bytes("${cp1250}00" found)
  if(NOT found)
    message(SEND_ERROR "missing as Windows-1250: '${text}' (${cp1250})")
    math(EXPR missing "${missing} + 1")
  endif()
  if(NOT cp1250 STREQUAL utf8)
    find_bytes("${utf8}" found)
    if(found)
      message(SEND_ERROR "present as UTF-8: '${text}'")
      math(EXPR missing "${missing} + 1")
    endif()
  endif()
endforeach()

list(LENGTH texts count)
if(missing GREATER 0)
  message(FATAL_ERROR "${missing} of ${count} texts wrong in ${FIGURY_EXE}")
endif()
message(STATUS "all ${count} texts present as Windows-1250")
