// The six C entry points of the library; no exception leaves them.

#include "HalvaneWrapper.h"

#include "Discovery.h"

#include <memory>
#include <mutex>
#include <unordered_set>

struct HalvaneWrapperObject {
    pellora::halvane::Discovery discovery;
};

namespace {

// Handles made and not yet deleted: a stale or foreign handle is refused instead of used.
class LiveObjects {
public:
    static LiveObjects& Instance()
    {
        static LiveObjects objects;
        return objects;
    }

    void Add(HalvaneWrapperObject* object)
    {
        const std::lock_guard lock(m_mutex);
        m_objects.insert(object);
    }
    bool Contains(HalvaneWrapperObject* object) const
    {
        const std::lock_guard lock(m_mutex);
        return m_objects.contains(object);
    }
    // Takes the object out of the set; null when it was not in it.
    std::unique_ptr<HalvaneWrapperObject> Take(HalvaneWrapperObject* object)
    {
        const std::lock_guard lock(m_mutex);
        if (m_objects.erase(object) == 0)
            return nullptr;
        return std::unique_ptr<HalvaneWrapperObject>(object);
    }

private:
    mutable std::mutex m_mutex;
    std::unordered_set<HalvaneWrapperObject*> m_objects;
};

template <typename Call>
int WithObject(HalvaneHandle obj, Call call)
{
    try {
        if (!LiveObjects::Instance().Contains(obj))
            return 0;
        return call(obj->discovery) ? 1 : 0;
    } catch (...) {
        return 0;
    }
}

} // namespace

extern "C" {

HALVANE_API HalvaneHandle CreateHalvaneWrapper(void)
{
    try {
        auto object = std::make_unique<HalvaneWrapperObject>();
        LiveObjects::Instance().Add(object.get());
        return object.release();
    } catch (...) {
        return nullptr;
    }
}

HALVANE_API int DeleteHalvaneWrapper(HalvaneHandle obj)
{
    try {
        return LiveObjects::Instance().Take(obj) != nullptr ? 1 : 0;
    } catch (...) {
        return 0;
    }
}

HALVANE_API int SetTimeout(HalvaneHandle obj, int seconds)
{
    return WithObject(obj, [seconds](pellora::halvane::Discovery& discovery) { return discovery.SetTimeout(seconds); });
}

HALVANE_API int SetProbeRange(HalvaneHandle obj, int kind, int count, const uint32_t* addresses, const uint32_t* masks,
                              int reserved)
{
    return WithObject(obj, [&](pellora::halvane::Discovery& discovery) {
        return discovery.SetRange(kind, count, addresses, masks, reserved);
    });
}

HALVANE_API int Probe(HalvaneHandle obj, int noticeFd)
{
    return WithObject(obj, [noticeFd](pellora::halvane::Discovery& discovery) { return discovery.Probe(noticeFd); });
}

HALVANE_API int GetProbeResultA(HalvaneHandle obj, void* buffer, uint32_t* size)
{
    return WithObject(obj, [&](pellora::halvane::Discovery& discovery) { return discovery.FetchResult(buffer, size); });
}

} // extern "C"
