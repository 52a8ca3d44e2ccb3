#include "figure/file_stamp.h"

#include <filesystem>
#include <system_error>

namespace figury {

FileStamp fileStampOf(const char* path) {
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::file_status status = fs::status(path, error);
    FileStamp stamp;
    stamp.present = status.type() != fs::file_type::not_found;
    if (!stamp.present || error) {
        return stamp;
    }
    if (fs::is_regular_file(status)) {
        const uintmax_t size = fs::file_size(path, error);
        stamp.size = error ? 0 : static_cast<uint64_t>(size);
    }
    const fs::file_time_type time = fs::last_write_time(path, error);
    stamp.writeTime = error ? 0 : static_cast<int64_t>(time.time_since_epoch().count());
    return stamp;
}

}  // namespace figury
