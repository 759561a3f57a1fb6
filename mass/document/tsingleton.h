// TSingleton: the process-wide holder of one object of a class.
//
// TSingleton<T>::instance() creates the object on first use and the
// object is destroyed when the process ends (after main returns, in the
// reverse order of creation like every function-local static). The
// instance is never null. Creation is thread-safe, as for any C++11
// function-local static; the object itself is whatever T makes of it.
//
// The holder lives in ionvale_common, which both the host and the
// plug-in compile: each of them has an instance of its own.
#pragma once

template <class T>
class TSingleton {
public:
    static T* instance()
    {
        static T object;
        return &object;
    }

    TSingleton() = delete;
};
