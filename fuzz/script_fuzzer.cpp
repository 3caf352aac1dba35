// Host scripts run over a headless panel on a virtual clock, over the built-in demo home. Every
// dump a script prints must be one line of valid JSON.

#include "host/Panel.h"
#include "host/Script.h"

#include <nlohmann/json.hpp>

#include <cstdlib>
#include <sstream>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    orvessa::HostOptions options;
    options.resourcesFolder = ORVESSA_RESOURCES_DIR;
    options.seed = 7;
    std::ostringstream out;
    {
        orvessa::Panel panel(options);
        orvessa::ScriptRunner runner(panel, out);
        std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
        runner.run(in);
    }
    std::istringstream dumps(out.str());
    for (std::string line; std::getline(dumps, line);) {
        if (!nlohmann::json::accept(line))
            std::abort();
    }
    return 0;
}
