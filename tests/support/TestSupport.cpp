#include "support/TestSupport.h"

#include "platform/RunLoop.h"
#include "tools/pictures/Jpeg.h"

#include <atomic>
#include <fstream>
#include <unistd.h>

namespace testing_support {

TempFolder::TempFolder()
{
    static std::atomic<int> counter { 0 };
    m_path = std::filesystem::temp_directory_path() / ("orvessa-test-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
    std::filesystem::remove_all(m_path);
    std::filesystem::create_directories(m_path);
}

TempFolder::~TempFolder()
{
    std::error_code error;
    // Tests may take permissions away to make folders unreadable; give them back first.
    for (auto it = std::filesystem::recursive_directory_iterator(m_path, std::filesystem::directory_options::skip_permission_denied, error);
         it != std::filesystem::recursive_directory_iterator(); it.increment(error)) {
        std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all, std::filesystem::perm_options::add, error);
    }
    std::filesystem::remove_all(m_path, error);
}

std::vector<std::uint8_t> fileBytes(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return { std::istreambuf_iterator<char>(in), {} };
}

std::filesystem::path TempFolder::write(const std::string& relative, const std::vector<std::uint8_t>& bytes) const
{
    auto path = m_path / relative;
    std::filesystem::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    return path;
}

std::filesystem::path TempFolder::write(const std::string& relative, const std::string& text) const
{
    return write(relative, std::vector<std::uint8_t>(text.begin(), text.end()));
}

std::filesystem::path TempFolder::makeFolder(const std::string& relative) const
{
    auto path = m_path / relative;
    std::filesystem::create_directories(path);
    return path;
}

std::string preferencesXml(const std::string& dictBody)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" \"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
           "<plist version=\"1.0\"><dict>"
        + dictBody + "</dict></plist>\n";
}

std::string TestHome::addPhoto(const std::string& name, Rgb colour, const char* folder, int width, int height) const
{
    write(std::string(folder) + "/" + name, pictures::encodeJpeg(pictures::paint(width, height, pictures::solid({ colour.r, colour.g, colour.b }))));
    return std::string("/var/mobile/") + folder + "/" + name;
}

void TestHome::writePreferences(const std::string& dictBody) const
{
    write(kPreferences, preferencesXml(dictBody));
}

std::filesystem::path builtResources()
{
    return ORVESSA_RESOURCES_DIR;
}

orvessa::HostOptions panelOptions(const std::filesystem::path& home, std::optional<std::uint64_t> seed)
{
    orvessa::HostOptions options;
    options.resourcesFolder = builtResources();
    options.home = home;
    options.seed = seed;
    return options;
}

namespace {
PlatformContext::Configuration testConfiguration(const std::filesystem::path& home, std::string systemVersion, std::shared_ptr<std::vector<std::string>> log)
{
    PlatformContext::Configuration configuration;
    if (!home.empty())
        configuration.filesystem.mount("/var/mobile", home);
    configuration.filesystem.mount("/System/Library/WeeAppPlugins/Orvessa.bundle", builtResources() / "Orvessa.bundle");
    configuration.filesystem.mount("/System/Library/WeeAppPlugins/StocksWeeApp.bundle", builtResources() / "StocksWeeApp.bundle");
    configuration.systemVersion = std::move(systemVersion);
    configuration.log = [log](std::string_view line) { log->emplace_back(line); };
    return configuration;
}
}

TestPlatform::TestPlatform(const std::filesystem::path& home, std::string systemVersion)
    : m_log(std::make_shared<std::vector<std::string>>())
    , m_context(std::make_unique<PlatformContext>(testConfiguration(home, std::move(systemVersion), m_log)))
    , m_scope(*m_context)
{
}

void TestPlatform::advance(double seconds)
{
    m_context->runLoop().runFor(seconds);
}

double TestPlatform::now() const
{
    return m_context->runLoop().now();
}

}
