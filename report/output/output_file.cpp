#include "report/output/output_file.h"

#include <errno.h>
#include <fcntl.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/types.h>

#ifdef _WIN32
#include <io.h>
#include <process.h>
#include <windows.h>
#else
#include <limits.h>
#include <unistd.h>
#endif

namespace {

std::string Failure(const std::string& path, int error) {
    return path + ": " + strerror(error);
}

// A device, FIFO or socket: written in place, never removed.
bool WriteStream(const std::string& path, const std::function<void(FILE*)>& write,
                 std::string* problem) {
    FILE* file = fopen(path.c_str(), "wb");
    if (!file) {
        *problem = Failure(path, errno);
        return false;
    }
    write(file);
    bool written = fflush(file) == 0 && !ferror(file);
    int error = errno;
    written = fclose(file) == 0 && written;
    if (!written) {
        *problem = Failure(path, error != 0 ? error : errno);
    }
    return written;
}

#ifdef _WIN32
bool IsDiskFileOrAbsent(const std::string& path) {
    HANDLE handle = CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        return true;
    }
    BY_HANDLE_FILE_INFORMATION information;
    bool disk = GetFileType(handle) == FILE_TYPE_DISK &&
                GetFileInformationByHandle(handle, &information) &&
                !(information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
    CloseHandle(handle);
    return disk;
}
#else
// The file a chain of symlinks leads to (it need not exist yet), so that
// the link stays and its target is replaced.
std::string FollowLinks(std::string path) {
    for (int hops = 0; hops < 40; hops++) {
        struct stat status;
        if (lstat(path.c_str(), &status) != 0 || !S_ISLNK(status.st_mode)) {
            break;
        }
        char target[PATH_MAX];
        ssize_t length = readlink(path.c_str(), target, sizeof target - 1);
        if (length <= 0) {
            break;
        }
        std::string next(target, static_cast<size_t>(length));
        size_t slash = path.rfind('/');
        path = next[0] == '/' || slash == std::string::npos ? next : path.substr(0, slash + 1) + next;
    }
    return path;
}
#endif

}  // namespace

bool WriteFileWhole(const std::string& path, const std::function<void(FILE*)>& write,
                    std::string* problem) {
#ifdef _WIN32
    const std::string target = path;
    if (!IsDiskFileOrAbsent(path)) {
        return WriteStream(path, write, problem);
    }
    int id = _getpid();
#else
    const std::string target = FollowLinks(path);
    struct stat status;
    bool replacing = stat(target.c_str(), &status) == 0;
    if (replacing && !S_ISREG(status.st_mode)) {
        return WriteStream(path, write, problem);
    }
    int id = static_cast<int>(getpid());
#endif
    // Beside the file, so that the rename stays on its file system.
    std::string temporary;
    int descriptor = -1;
    for (int attempt = 0; attempt < 100 && descriptor < 0; attempt++) {
        temporary = target + ".tmp-" + std::to_string(id) + "-" + std::to_string(attempt);
#ifdef _WIN32
        descriptor = _open(temporary.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY,
                           _S_IREAD | _S_IWRITE);
#else
        descriptor = open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
#endif
        if (descriptor < 0 && errno != EEXIST) {
            break;
        }
    }
    if (descriptor < 0) {
        *problem = Failure(path, errno);
        return false;
    }
#ifndef _WIN32
    if (replacing) {
        // The page someone made readable to others stays so; as root, it
        // also keeps its owner (a failure there harms nothing).
        fchmod(descriptor, status.st_mode & 07777);
        if (geteuid() == 0 && fchown(descriptor, status.st_uid, status.st_gid) != 0) {
            errno = 0;
        }
    }
#endif
    FILE* file = fdopen(descriptor, "wb");
    if (!file) {
        *problem = Failure(path, errno);
        close(descriptor);
        remove(temporary.c_str());
        return false;
    }
    write(file);
    bool written = fflush(file) == 0 && !ferror(file);
#ifndef _WIN32
    written = written && fsync(descriptor) == 0;
#endif
    int error = errno;
    written = fclose(file) == 0 && written;
    error = written ? 0 : error != 0 ? error : errno;
#ifdef _WIN32
    if (written && !MoveFileExA(temporary.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING)) {
        written = false;
        error = GetLastError() == ERROR_ACCESS_DENIED ? EACCES : EIO;
    }
#else
    if (written && rename(temporary.c_str(), target.c_str()) != 0) {
        written = false;
        error = errno;
    }
#endif
    if (!written) {
        *problem = Failure(path, error != 0 ? error : EIO);
        remove(temporary.c_str());
    }
    return written;
}

bool HeldOutput::Open() {
    file_ = tmpfile();
#ifdef _WIN32
    // msvcrt's tmpfile() works in the root of the drive, which users may
    // not write to; the user's temporary folder, deleted on close.
    char folder[MAX_PATH], name[MAX_PATH];
    if (!file_ && GetTempPathA(MAX_PATH, folder) != 0 &&
        GetTempFileNameA(folder, "tvr", 0, name) != 0) {
        file_ = fopen(name, "w+bTD");
    }
#else
    if (!file_) {
        file_ = open_memstream(&memory_, &memorySize_);
        inMemory_ = file_ != nullptr;
    }
#endif
    return file_ != nullptr;
}

HeldOutput::~HeldOutput() {
    if (file_) {
        fclose(file_);
    }
    free(memory_);
}

bool HeldOutput::CopyTo(FILE* out) {
    if (!file_ || fflush(file_) != 0 || ferror(file_)) {
        if (!file_) {
            errno = ENOMEM;
        }
        return false;
    }
    if (inMemory_) {
        return fwrite(memory_, 1, memorySize_, out) == memorySize_;
    }
    rewind(file_);
    char buffer[1 << 14];
    size_t count;
    while ((count = fread(buffer, 1, sizeof buffer, file_)) > 0) {
        if (fwrite(buffer, 1, count, out) != count) {
            return false;
        }
    }
    return !ferror(file_);
}
