// Any bytes as the session's journal, as they are or sealed with sound
// checksums: the reader takes a sound prefix of the records or refuses the
// journal, and what it takes replays into a document whose history leads back
// to the base (journal_checks.h).

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "journal_checks.h"

namespace figury {

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::vector<char> bytes = journal_checks::journalOfInput(data, size);
    const std::string fault = journal_checks::journalFault(bytes);
    if (!fault.empty()) {
        std::fprintf(stderr, "journal_read_fuzz: %s\n", fault.c_str());
        std::abort();
    }
    return 0;
}

}  // namespace figury
