#pragma once
// Handle maps of the drawing objects, menus and image lists (internal to the window library).
//
// Permanent entries (handle -> the wrapper that owns it) are process-wide under a lock: a GDI
// object made on one thread may be selected on another. Temporary wrappers, made by FromHandle
// for handles that no wrapper owns, belong to the calling thread: they are deleted by
// DeleteTemps (run at idle time) or when the thread ends, and never delete their handle.
//
// Traits give the wrapper and handle types and three operations:
//   static Object* MakeTemporary(Handle h);   // an empty wrapper of the right kind holding h
//   static void Forget(Object* o);            // empties the wrapper without releasing its handle
//   static bool Fits(Object* o, Handle h);    // false when a cached temporary is of a stale kind

#include "framework/Base.h"

#include <mutex>
#include <unordered_map>

template <class Traits>
class DrawingHandleMap {
public:
    using Object = typename Traits::Object;
    using Handle = typename Traits::Handle;

    static void SetPermanent(Handle handle, Object* object)
    {
        std::lock_guard<std::mutex> lock(Mutex());
        Permanent()[handle] = object;
    }

    // Removes the entry only when it still names this wrapper: a handle value can be reused
    // by a newer wrapper after the old one deleted it.
    static void RemovePermanent(Handle handle, Object* object)
    {
        std::lock_guard<std::mutex> lock(Mutex());
        auto& map = Permanent();
        auto it = map.find(handle);
        if (it != map.end() && it->second == object)
            map.erase(it);
    }

    static Object* LookupPermanent(Handle handle)
    {
        std::lock_guard<std::mutex> lock(Mutex());
        auto& map = Permanent();
        auto it = map.find(handle);
        return it == map.end() ? nullptr : it->second;
    }

    static Object* LookupTemporary(Handle handle)
    {
        auto& map = Temporaries().map;
        auto it = map.find(handle);
        return it == map.end() ? nullptr : it->second;
    }

    static Object* FromHandle(Handle handle)
    {
        if (!handle)
            return nullptr;
        if (Object* object = LookupPermanent(handle))
            return object;
        auto& map = Temporaries().map;
        auto it = map.find(handle);
        if (it != map.end()) {
            if (Traits::Fits(it->second, handle))
                return it->second;
            Release(it->second);
            map.erase(it);
        }
        Object* object = Traits::MakeTemporary(handle);
        if (object)
            map.emplace(handle, object);
        return object;
    }

    static void DeleteTemps()
    {
        auto& map = Temporaries().map;
        // Take the map first: deleting a wrapper must not find itself half-removed.
        auto taken = std::move(map);
        map.clear();
        for (auto& entry : taken)
            Release(entry.second);
    }

private:
    struct ThreadTemporaries {
        std::unordered_map<Handle, Object*> map;
        ~ThreadTemporaries()
        {
            for (auto& entry : map)
                Release(entry.second);
        }
    };

    static void Release(Object* object)
    {
        Traits::Forget(object);
        delete object;
    }

    // Never destroyed: wrappers held by globals and singletons are destroyed at exit, after
    // function-local statics made later than them would already be gone.
    static std::mutex& Mutex()
    {
        static std::mutex* mutex = new std::mutex;
        return *mutex;
    }

    static std::unordered_map<Handle, Object*>& Permanent()
    {
        static auto* map = new std::unordered_map<Handle, Object*>;
        return *map;
    }

    static ThreadTemporaries& Temporaries()
    {
        static thread_local ThreadTemporaries temporaries;
        return temporaries;
    }
};
