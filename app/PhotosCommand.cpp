#include "app/Commands.h"

#include "app/PhotoCheck.h"

#include <iostream>

namespace orvessa {

Subcommand addPhotosCommand(CLI::App& app, CommonOptions& common)
{
    auto* command = app.add_subcommand("photos", "Show what the widget would show: its settings, its photos in order, and every name left out with the reason");
    addCommonOptions(*command, common);
    auto json = std::make_shared<bool>(false);
    command->add_flag("--json", *json, "Print the report as JSON (strings are valid UTF-8: a byte of a name that is not becomes U+FFFD)");

    auto run = [json, &common] {
        Panel panel(hostOptions(common));
        PhotoReport report = checkPhotos();
        if (*json)
            std::cout << photoReportJson(report).dump(2) << '\n';
        else
            std::cout << formatPhotoReport(report);
        return kExitSuccess;
    };
    return { command, run };
}

}
