#pragma once

#include <cstddef>
#include <memory>
#include <span>
#include <string>
#include <string_view>

// The root of the toolkit's object model. Objects live in shared_ptr; owning fields are shared_ptr,
// borrowed ones weak_ptr. The platform's messages (timer and control actions, animation did-stop
// messages) are typed selectors; performSelector: alone looks a selector up by its text, in the
// receiving class's table.

class NSObject;

// What a message carries: an action's sender, or the three values of a did-stop message.
struct MessageArguments {
    NSObject* sender { nullptr };
    std::string_view animationID;
    bool finished { false };
    void* context { nullptr };
};

// A message bound to the method that answers it, with the text that dumps and performSelector: know
// it by. Each class declares its selectors once, beside its method table, and the table and every
// sender use those constants, so a misspelt selector does not compile.
class Selector {
public:
    // False when the receiver is not of the class the selector belongs to.
    using Invoke = bool (*)(NSObject& receiver, const MessageArguments&);

    // No message at all, as for a bar item without an action.
    constexpr Selector() = default;
    constexpr Selector(std::string_view name, Invoke invoke)
        : m_name(name)
        , m_invoke(invoke)
    {
    }

    constexpr std::string_view name() const { return m_name; }
    constexpr explicit operator bool() const { return m_invoke != nullptr; }

    // A receiver of another class does not answer the message: a programming error, as on the platform.
    void send(NSObject& receiver, const MessageArguments& = {}) const;
    void send(NSObject& receiver, NSObject* sender) const
    {
        MessageArguments arguments;
        arguments.sender = sender;
        send(receiver, arguments);
    }

    friend bool operator==(const Selector&, const Selector&) = default;

private:
    std::string_view m_name;
    Invoke m_invoke { nullptr };
};

namespace selector_detail {

template<typename>
struct MemberOf;
template<typename T, typename R, typename... Arguments>
struct MemberOf<R (T::*)(Arguments...)> {
    using Class = T;
};

}

// Selectors for the three message shapes the platform uses: an action with its sender, a message
// without arguments, and an animation's did-stop message.
template<auto method>
constexpr Selector actionSelector(std::string_view name)
{
    using T = typename selector_detail::MemberOf<decltype(method)>::Class;
    return Selector(name, [](NSObject& receiver, const MessageArguments& arguments) {
        auto* object = dynamic_cast<T*>(&receiver);
        if (object)
            (object->*method)(arguments.sender);
        return object != nullptr;
    });
}

template<auto method>
constexpr Selector plainSelector(std::string_view name)
{
    using T = typename selector_detail::MemberOf<decltype(method)>::Class;
    return Selector(name, [](NSObject& receiver, const MessageArguments&) {
        auto* object = dynamic_cast<T*>(&receiver);
        if (object)
            (object->*method)();
        return object != nullptr;
    });
}

template<auto method>
constexpr Selector didStopSelector(std::string_view name)
{
    using T = typename selector_detail::MemberOf<decltype(method)>::Class;
    return Selector(name, [](NSObject& receiver, const MessageArguments& arguments) {
        auto* object = dynamic_cast<T*>(&receiver);
        if (object)
            (object->*method)(arguments.animationID, arguments.finished, arguments.context);
        return object != nullptr;
    });
}

class NSObject : public std::enable_shared_from_this<NSObject> {
public:
    virtual ~NSObject();
    NSObject(const NSObject&) = delete;
    NSObject& operator=(const NSObject&) = delete;

    // The platform's class name, as reported to hosts and in state dumps.
    virtual std::string_view className() const { return "NSObject"; }

    // Messages sent by their text, looked up in the class's table. Sending a selector the class does
    // not answer is a programming error, as on the platform.
    bool respondsToSelector(std::string_view selector) const { return findMethod(selector) != nullptr; }
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
    virtual const Selector* findMethod(std::string_view selector) const;
    static const Selector* lookUp(std::span<const Selector> table, std::string_view selector);
};

template<typename T, typename U>
bool isKindOfClass(const U* object)
{
    return dynamic_cast<const T*>(object) != nullptr;
}
