#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>

// The root of the toolkit's object model. Objects live in shared_ptr; owning fields are shared_ptr,
// borrowed ones weak_ptr. Messages that the platform sends by name (timer and control actions,
// animation did-stop messages, performSelector:) go through each class's table of selectors.

using SEL = std::string;

class NSObject;

// What a message sent by name carries: an action's sender, or the three values of a did-stop message.
struct MessageArguments {
    NSObject* sender { nullptr };
    std::string_view animationID;
    bool finished { false };
    void* context { nullptr };
};

using Method = std::function<void(NSObject& receiver, const MessageArguments&)>;
using MethodTable = std::unordered_map<std::string_view, Method>;

// Table entries for the two message shapes the platform uses.
template<typename T>
Method actionMethod(void (T::*method)(NSObject* sender))
{
    return [method](NSObject& receiver, const MessageArguments& arguments) {
        (static_cast<T&>(receiver).*method)(arguments.sender);
    };
}

template<typename T>
Method plainMethod(void (T::*method)())
{
    return [method](NSObject& receiver, const MessageArguments&) { (static_cast<T&>(receiver).*method)(); };
}

template<typename T>
Method didStopMethod(void (T::*method)(std::string_view animationID, bool finished, void* context))
{
    return [method](NSObject& receiver, const MessageArguments& arguments) {
        (static_cast<T&>(receiver).*method)(arguments.animationID, arguments.finished, arguments.context);
    };
}

class NSObject : public std::enable_shared_from_this<NSObject> {
public:
    virtual ~NSObject();
    NSObject(const NSObject&) = delete;
    NSObject& operator=(const NSObject&) = delete;

    // The platform's class name, as reported to hosts and in state dumps.
    virtual std::string_view className() const { return "NSObject"; }

    bool respondsToSelector(std::string_view selector) const { return findMethod(selector) != nullptr; }
    // Sending a selector the class does not answer is a programming error, as on the platform.
    void performSelector(std::string_view selector, const MessageArguments& = {});
    void performSelector(std::string_view selector, NSObject* sender)
    {
        MessageArguments arguments;
        arguments.sender = sender;
        performSelector(selector, arguments);
    }

    template<typename T>
    std::shared_ptr<T> sharedAs() { return std::static_pointer_cast<T>(shared_from_this()); }

    // Objects alive right now, across every class; tests use it to prove teardown releases everything.
    static std::size_t liveObjectCount();

protected:
    NSObject();
    // Subclasses that answer selectors return their entry, else their base class's.
    virtual const Method* findMethod(std::string_view selector) const;
    static const Method* lookUp(const MethodTable&, std::string_view selector);
};

template<typename T, typename U>
bool isKindOfClass(const U* object)
{
    return dynamic_cast<const T*>(object) != nullptr;
}
