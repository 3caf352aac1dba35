#include "touch/GSEventProxy.h"

#include <cstring>

std::shared_ptr<GSEventProxy> GSEventProxy::init()
{
    std::shared_ptr<GSEventProxy> proxy(new GSEventProxy());
    proxy->record.header = 0x50455347; // "GSEP"
    return proxy;
}

std::array<std::uint8_t, sizeof(GSEventRecordLayout)> GSEventProxy::bytes() const
{
    std::array<std::uint8_t, sizeof(GSEventRecordLayout)> out {};
    std::memcpy(out.data(), &record, sizeof record);
    return out;
}
