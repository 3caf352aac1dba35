#include "platform/Device.h"

#include "platform/Context.h"

std::string NSHomeDirectory()
{
    return "/var/mobile";
}

std::shared_ptr<UIDevice> UIDevice::currentDevice()
{
    return std::shared_ptr<UIDevice>(new UIDevice());
}

std::string UIDevice::systemVersion() const
{
    return PlatformContext::current().systemVersion();
}

std::shared_ptr<NSBundle> NSBundle::bundleForClass(const std::string& className)
{
    // Widget bundles are named after their principal class's product: OrvessaController -> Orvessa.bundle.
    std::string product = className;
    const std::string suffix = "Controller";
    if (product.size() > suffix.size() && product.ends_with(suffix))
        product.resize(product.size() - suffix.size());
    return std::shared_ptr<NSBundle>(new NSBundle(std::string(kWeeAppPluginsPath) + "/" + product + ".bundle"));
}
