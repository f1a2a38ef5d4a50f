// Small owners of registry keys and of one 32-bit setting kept under a key. Templates over the
// character type of names, which picks the 8-bit or the UTF-16 calls.
#pragma once

#include <cstdint>
#include <string>

#include "xll/ensure.h"
#include "xll/platform.h"

namespace Reg {

template <class C> struct names;
template <> struct names<char> {
    static constexpr const char* query = "Reg::Key<char>::QueryValue";
    static constexpr const char* create = "Reg::CreateKey<char>::CreateKey";
};
template <> struct names<wchar_t> {
    static constexpr const char* query = "Reg::Key<wchar_t>::QueryValue";
    static constexpr const char* create = "Reg::CreateKey<wchar_t>::CreateKey";
};

template <class C> class Key {
public:
    explicit Key(xll::platform::reg_key h = nullptr) : h_(h) {}
    Key(const Key&) = delete;
    Key& operator=(const Key&) = delete;
    ~Key() { xll::platform::reg_close(h_); }

    uint32_t QueryValue(const C* name) const
    {
        uint32_t type = 0, value = 0, size = sizeof value;
        xll::ensure(0 == xll::platform::reg_query_value(h_, name, &type, &value, &size), xll::checks::registry_query,
                    names<C>::query, "ERROR_SUCCESS == RegQueryValueEx_<X>(h_, name, 0, &type, traits<T>::data(t), &size)");
        xll::ensure(type == xll::platform::reg_dword && size == sizeof value, xll::checks::registry_query_type,
                    names<C>::query, "traits<T>::type == type");
        return value;
    }

    // The result is not examined: a setting that cannot be written still changes in memory.
    void SetValue(const C* name, uint32_t value)
    {
        xll::platform::reg_set_value(h_, name, xll::platform::reg_dword, &value, sizeof value);
    }

protected:
    xll::platform::reg_key h_;
};

template <class C> class CreateKey : public Key<C> {
public:
    CreateKey(xll::platform::reg_key parent, const C* subkey)
    {
        xll::ensure(0 == xll::platform::reg_create_key(parent, subkey, &this->h_), xll::checks::registry_create,
                    names<C>::create,
                    "ERROR_SUCCESS == RegCreateKeyEx_<X>(h, k, 0, NULL, REG_OPTION_VOLATILE, r, NULL, &h_, 0)");
    }
};

// A 32-bit value under a key, held in memory; a missing or mistyped value takes the default,
// which is written back at once.
template <class C> class Setting : public CreateKey<C> {
public:
    Setting(xll::platform::reg_key parent, const C* subkey, const C* name, uint32_t default_value)
        : CreateKey<C>(parent, subkey), name_(name), value_(default_value)
    {
        try {
            value_ = this->QueryValue(name_.c_str());
        }
        catch (const std::exception&) {
            value_ = default_value;
            Write();
        }
    }
    uint32_t value() const { return value_; }
    void set(uint32_t v) { value_ = v; }
    void Write() { this->SetValue(name_.c_str(), value_); }

private:
    std::basic_string<C> name_;
    uint32_t value_;
};

} // namespace Reg
