#pragma once

#include <bit>
#include <type_traits>
#include <cstddef>
#include <cstdint>

namespace kvmt {

#if defined(KVMT_STACK_RESTORING_CALLS)
// Calls the function at `address` with `count` 32-bit arguments pushed right
// to left, and puts the stack pointer back where it was before the arguments
// were pushed, whether the callee removed them (__stdcall) or left them to
// the caller (__cdecl). Returns what the callee left in EAX.
extern "C" int kvmtCallRestoringStack(const void *address, const std::uint32_t *arguments, std::uint32_t count);
#endif

template<typename Signature>
class LibraryEntry;

// One function of a library loaded at run time, found by its plain name. The
// maker does not say which calling convention the library's functions use;
// where the two conventions differ (32-bit Windows) every call goes through
// kvmtCallRestoringStack, so that either works. Elsewhere there is only one
// convention and the call is direct.
template<typename... Args>
class LibraryEntry<int(Args...)>
{
public:
    LibraryEntry() = default;
    LibraryEntry(std::nullptr_t) {}
    explicit LibraryEntry(void *address)
        : m_address(address)
    {
    }

    const void *address() const { return m_address; }
    explicit operator bool() const { return m_address != nullptr; }
    bool operator==(std::nullptr_t) const { return m_address == nullptr; }

    int operator()(Args... args) const
    {
#if defined(KVMT_STACK_RESTORING_CALLS)
        static_assert(((sizeof(Args) == sizeof(std::uint32_t)) && ...),
                      "every argument of the device library is one 32-bit word");
        const std::uint32_t words[] = {toWord(args)...};
        return kvmtCallRestoringStack(m_address, words, std::uint32_t(sizeof...(Args)));
#else
        return reinterpret_cast<int (*)(Args...)>(m_address)(args...);
#endif
    }

private:
    template<typename T>
    static std::uint32_t toWord(T value)
    {
        if constexpr (std::is_pointer_v<T>)
            return std::uint32_t(std::bit_cast<std::uintptr_t>(value));
        else
            return std::uint32_t(value);
    }

    void *m_address = nullptr;
};

} // namespace kvmt
