#include "platform/Runtime.h"

void Runtime::registerClass(std::string name, std::function<std::shared_ptr<NSObject>()> alloc, std::function<void(Class&)> initialize)
{
    Class entry { name, std::move(alloc), std::move(initialize), false, {} };
    m_classes.insert_or_assign(std::move(name), std::move(entry));
}

Runtime::Class* Runtime::objc_getClass(const std::string& name)
{
    auto found = m_classes.find(name);
    return found == m_classes.end() ? nullptr : &found->second;
}

std::shared_ptr<NSObject> Runtime::instantiate(const std::string& name)
{
    Class* cls = objc_getClass(name);
    if (!cls || !cls->alloc)
        return nullptr;
    if (!cls->initialized) {
        cls->initialized = true;
        if (cls->initialize)
            cls->initialize(*cls);
    }
    return cls->alloc();
}
