#include "app/Commands.h"

#include "app/ResourceManifest.h"

#include <cstdlib>
#include <span>
#include <system_error>

#if !defined(ORVESSA_INSTALLED_RESOURCES) || !defined(ORVESSA_BUILD_TREE_RESOURCES)
#error "ORVESSA_INSTALLED_RESOURCES and ORVESSA_BUILD_TREE_RESOURCES must name the resources folder relative to the command's own"
#endif

namespace orvessa {

namespace {

// Names a resources folder to use instead of the installed one or the build tree's.
constexpr const char* kResourcesVariable = "ORVESSA_RESOURCES";

// Only a folder holding the widget's bundle counts as a resources folder; a half-copied one is then
// checked file by file rather than passed over for another.
bool holdsResources(const std::filesystem::path& folder)
{
    std::error_code error;
    return std::filesystem::is_directory(folder / "Orvessa.bundle", error);
}

// An empty file is as broken as a missing one: it would draw nothing and look like success.
void requireFiles(const std::filesystem::path& folder, std::span<const char* const> files)
{
    for (const char* file : files) {
        std::filesystem::path path = folder / file;
        std::error_code error;
        bool present = std::filesystem::is_regular_file(path, error) && std::filesystem::file_size(path, error) > 0 && !error;
        if (!present)
            throw std::runtime_error(path.string() + " is missing or empty; the installation is incomplete, reinstall orvessa");
    }
}

// Where the running program lies, with every link resolved, so that a link to it elsewhere still
// finds the resources beside the real file.
std::optional<std::filesystem::path> ownFolder()
{
    std::error_code error;
    std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error || self.empty())
        return std::nullopt;
    return self.parent_path();
}

}

std::filesystem::path locateResources()
{
    if (const char* chosen = std::getenv(kResourcesVariable); chosen && *chosen) {
        std::error_code error;
        std::filesystem::path folder = std::filesystem::absolute(chosen, error);
        if (error || !holdsResources(folder))
            throw UsageError(std::string(kResourcesVariable) + "=" + chosen + ": no Orvessa.bundle in that folder");
        requireFiles(folder, kBundleFiles);
        return folder;
    }
    auto own = ownFolder();
    if (!own)
        throw std::runtime_error(std::string("cannot tell where this program lies (/proc/self/exe); set ") + kResourcesVariable + " to the folder that holds Orvessa.bundle");
    std::filesystem::path installed = (*own / ORVESSA_INSTALLED_RESOURCES).lexically_normal();
    std::filesystem::path buildTree = (*own / ORVESSA_BUILD_TREE_RESOURCES).lexically_normal();
    for (const auto& folder : { installed, buildTree }) {
        if (holdsResources(folder)) {
            requireFiles(folder, kBundleFiles);
            return folder;
        }
    }
    throw std::runtime_error("resources not found in " + installed.string() + " (installed) nor in " + buildTree.string() + " (build tree); reinstall, or set " + kResourcesVariable + " to the folder that holds Orvessa.bundle");
}

void requireDemoHome(const std::filesystem::path& resources)
{
    requireFiles(resources / "demo-home", kDemoHomeFiles);
}

}
