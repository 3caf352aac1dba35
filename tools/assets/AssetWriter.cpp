#include "tools/assets/AssetWriter.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <exception>
#include <stdexcept>
#include <system_error>

namespace assets {

namespace fs = std::filesystem;

namespace {

// Written beside the target and renamed over it, so an interrupted build leaves no half file.
void writeAtomically(const fs::path& path, const Bytes& bytes)
{
    std::error_code ec;
    fs::create_directories(path.parent_path(), ec);
    if (ec)
        throw std::runtime_error("cannot create folder: " + ec.message());
    fs::path temporary = path;
    temporary += ".tmp";
    std::FILE* file = std::fopen(temporary.c_str(), "wb");
    if (!file)
        throw std::runtime_error(std::string("cannot open for writing: ") + std::strerror(errno));
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    ok = std::fflush(file) == 0 && ok;
    const int savedErrno = errno;
    ok = std::fclose(file) == 0 && ok;
    if (!ok) {
        fs::remove(temporary, ec);
        throw std::runtime_error(std::string("cannot write: ") + std::strerror(savedErrno ? savedErrno : errno));
    }
    fs::rename(temporary, path, ec);
    if (ec) {
        const std::string reason = ec.message();
        fs::remove(temporary, ec);
        throw std::runtime_error("cannot rename into place: " + reason);
    }
}

}

AssetWriter::AssetWriter(fs::path root, bool verbose)
    : m_root(std::move(root))
    , m_verbose(verbose)
{
}

void AssetWriter::make(const fs::path& relative, const std::function<Bytes()>& produce)
{
    const fs::path path = m_root / relative;
    try {
        const Bytes bytes = produce();
        writeAtomically(path, bytes);
        if (m_verbose) {
            std::printf("%s (%zu bytes)\n", path.c_str(), bytes.size());
            std::fflush(stdout);
        }
    } catch (const std::exception& error) {
        throw std::runtime_error(path.string() + ": " + error.what());
    }
}

void AssetWriter::makeText(const fs::path& relative, std::string_view text)
{
    make(relative, [text] { return Bytes(text.begin(), text.end()); });
}

std::string scaledName(std::string_view stem, int scale)
{
    std::string name(stem);
    if (scale != 1) {
        name += '@';
        name += std::to_string(scale);
        name += 'x';
    }
    name += ".png";
    return name;
}

}
