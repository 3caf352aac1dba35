#include "app/WindowRun.h"

#include <dlfcn.h>

#include <stdexcept>
#include <string>
#include <system_error>

#if !defined(ORVESSA_INSTALLED_MODULES)
#error "ORVESSA_INSTALLED_MODULES must name the window module's folder relative to the command's own"
#endif

namespace orvessa {

namespace {

std::filesystem::path ownFolder()
{
    std::error_code error;
    std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error || self.empty())
        throw std::runtime_error("cannot tell where this program lies (/proc/self/exe), so cannot find its window code");
    return self.parent_path();
}

}

int runWindow(const WindowRun& request)
{
    // Installed beside the resources' share/ in lib/, or next to the program in a build tree.
    std::filesystem::path own = ownFolder();
    std::filesystem::path installed = (own / ORVESSA_INSTALLED_MODULES / kWindowModuleName).lexically_normal();
    std::filesystem::path buildTree = own / kWindowModuleName;
    std::string reasons;
    for (const auto& path : { installed, buildTree }) {
        std::error_code error;
        if (!std::filesystem::is_regular_file(path, error))
            continue;
        // Kept loaded to the end: SDL may leave handlers that outlive the window.
        void* module = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (!module) {
            const char* why = ::dlerror();
            reasons += std::string("; ") + (why ? why : path.string());
            continue;
        }
        auto entry = reinterpret_cast<RunWindowEntry>(::dlsym(module, kRunWindowSymbol));
        if (!entry)
            throw std::runtime_error(path.string() + " has no " + kRunWindowSymbol + "; reinstall orvessa");
        return entry(request);
    }
    throw std::runtime_error("cannot load the window code from " + installed.string() + " (installed) nor " + buildTree.string() + " (build tree)" + reasons + "; reinstall orvessa");
}

}
