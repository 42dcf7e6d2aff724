#include "report/read/input_files.h"

#include <errno.h>
#include <stdint.h>
#include <string.h>
#include <sys/stat.h>

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#endif

namespace {

struct FileIdentity {
    bool known = false;
    bool regular = false;
    uint64_t device = 0;
    uint64_t inode = 0;
};

#ifdef _WIN32
FileIdentity IdentityOfHandle(HANDLE handle) {
    FileIdentity identity;
    BY_HANDLE_FILE_INFORMATION information;
    if (handle != INVALID_HANDLE_VALUE && GetFileType(handle) == FILE_TYPE_DISK &&
        GetFileInformationByHandle(handle, &information)) {
        identity.known = true;
        identity.regular = !(information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
        identity.device = information.dwVolumeSerialNumber;
        identity.inode = static_cast<uint64_t>(information.nFileIndexHigh) << 32 |
                         information.nFileIndexLow;
    }
    return identity;
}

FileIdentity IdentityOfStream(FILE* file) {
    return IdentityOfHandle(reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(file))));
}

FileIdentity IdentityOfPath(const std::string& path) {
    HANDLE handle = CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    FileIdentity identity = IdentityOfHandle(handle);
    if (handle != INVALID_HANDLE_VALUE) {
        CloseHandle(handle);
    }
    return identity;
}
#else
FileIdentity Identity(int result, const struct stat& status) {
    FileIdentity identity;
    if (result == 0) {
        identity.known = true;
        identity.regular = S_ISREG(status.st_mode);
        identity.device = status.st_dev;
        identity.inode = status.st_ino;
    }
    return identity;
}

FileIdentity IdentityOfStream(FILE* file) {
    struct stat status;
    return Identity(fstat(fileno(file), &status), status);
}

FileIdentity IdentityOfPath(const std::string& path) {
    struct stat status;
    return Identity(stat(path.c_str(), &status), status);
}
#endif

// errno for an open file that is no log: a directory.
int Unreadable(FILE* file) {
    struct stat status;
    return fstat(fileno(file), &status) == 0 && S_ISDIR(status.st_mode) ? EISDIR : 0;
}

bool IsRegular(FILE* file) {
    struct stat status;
    return fstat(fileno(file), &status) == 0 && S_ISREG(status.st_mode);
}

std::string Message(const std::string& name, int error) {
    return ShownName(name, false) + ": " + strerror(error);
}

}  // namespace

std::string ShownName(const std::string& name, bool output) {
    if (name == "-") {
        return output ? "standard output" : "standard input";
    }
    return name;
}

InputFiles::InputFiles(const std::vector<std::string>& names, FILE* in)
    : names_(names), in_(in), kept_(names.size(), nullptr) {}

InputFiles::~InputFiles() {
    for (FILE* file : kept_) {
        if (file) {
            fclose(file);
        }
    }
}

std::string InputFiles::Check() {
    std::vector<FileIdentity> identities;
    for (size_t i = 0; i < names_.size(); i++) {
        FILE* file = names_[i] == "-" ? in_ : fopen(names_[i].c_str(), "rb");
        int problem = file ? Unreadable(file) : errno;
        if (file && file != in_) {
            if (problem == 0 && !IsRegular(file)) {
                kept_[i] = file;
            } else {
                fclose(file);
            }
        }
        if (problem != 0) {
            return Message(names_[i], problem);
        }
        // Read twice, its reports would come before the end of its own.
        identities.push_back(names_[i] == "-" ? IdentityOfStream(in_) : IdentityOfPath(names_[i]));
        for (size_t j = 0; j < i; j++) {
            const FileIdentity& a = identities[j];
            const FileIdentity& b = identities[i];
            if (names_[j] == names_[i] ||
                (a.known && b.known && a.device == b.device && a.inode == b.inode)) {
                std::string earlier = names_[j] == names_[i]
                                          ? ""
                                          : " (the same file as " + ShownName(names_[j], false) + ")";
                return ShownName(names_[i], false) + ": given twice" + earlier +
                       "; give each file once";
            }
        }
    }
    return "";
}

std::string InputFiles::Overwrites(const std::string& path) const {
    FileIdentity output = IdentityOfPath(path);
    if (!output.known || !output.regular) {
        return "";
    }
    for (const std::string& name : names_) {
        FileIdentity input = name == "-" ? IdentityOfStream(in_) : IdentityOfPath(name);
        if (input.known && input.device == output.device && input.inode == output.inode) {
            return path + ": is " +
                   (name == "-" ? std::string("standard input") : "the input file " + name) +
                   "; the page would replace it";
        }
    }
    return "";
}

bool InputFiles::ReadsStandardInput() const {
    for (const std::string& name : names_) {
        if (name == "-") {
            return true;
        }
    }
    return false;
}

bool InputFiles::Read(TextDecoder* decoder,
                      const std::function<void(const std::string&)>& starting,
                      std::string* problem) {
    static char buffer[1 << 16];
    for (size_t i = 0; i < names_.size(); i++) {
        starting(ShownName(names_[i], false));
        FILE* file = names_[i] == "-" ? in_ : kept_[i] ? kept_[i] : fopen(names_[i].c_str(), "rb");
        kept_[i] = nullptr;
        if (!file) {
            *problem = Message(names_[i], errno);  // gone since it was checked
            return false;
        }
        size_t count;
        errno = 0;
        while ((count = fread(buffer, 1, sizeof buffer, file)) > 0) {
            decoder->Feed(buffer, count);
        }
        decoder->EndOfFile();
        int error = ferror(file) ? (errno != 0 ? errno : EIO) : 0;
        if (file != in_) {
            fclose(file);
        }
        if (error != 0) {
            *problem = Message(names_[i], error);
            return false;
        }
    }
    return true;
}
