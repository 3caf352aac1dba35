#pragma once

#include "platform/Object.h"

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

// The class runtime: classes found by name (objc_getClass), each made through its factory. A class
// may have an initialisation that runs once, before its first instance is made, and objects it
// hands to the runtime to hold for as long as the runtime lives.
class Runtime {
public:
    struct Class {
        std::string name;
        std::function<std::shared_ptr<NSObject>()> alloc;
        std::function<void(Class&)> initialize;
        bool initialized { false };
        std::vector<std::shared_ptr<NSObject>> heldForever;
    };

    void registerClass(std::string name, std::function<std::shared_ptr<NSObject>()> alloc, std::function<void(Class&)> initialize = {});
    void removeClass(const std::string& name) { m_classes.erase(name); }
    // Nothing when no class has that name.
    Class* objc_getClass(const std::string& name);
    // Runs the class's initialisation if it has not run, then makes an instance; null for an unknown name.
    std::shared_ptr<NSObject> instantiate(const std::string& name);

private:
    std::map<std::string, Class> m_classes;
};
