// The dynamic-call layer against functions of known signatures: registers filled per class,
// stack slots in argument order, both return classes, and the 255-argument limit. The functions
// have the add-in's calling convention (stdcall on 32-bit Windows: the callee removes its
// arguments); the Windows builds run these tests under Wine.
#include "host/bridge/dyncall.h"
#include "xll/xlcall.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <type_traits>
#include <utility>
#include <vector>

namespace zorvane::host::test {
namespace {

// Argument I has type double when I % K == R, long otherwise; the function returns the weighted
// sum of its arguments, so a swapped or misplaced argument changes the result.
template <std::size_t K, std::size_t R>
struct Mixed {
    template <std::size_t I>
    using Arg = std::conditional_t<K != 0 && I % K == R, double, long>;

    template <std::size_t... I>
    static double XLL_CALL weighted(Arg<I>... args)
    {
        double sum = 0;
        ((sum += static_cast<double>(I + 1) * static_cast<double>(args)), ...);
        return sum;
    }

    template <std::size_t... I>
    static void* address(std::index_sequence<I...>)
    {
        return reinterpret_cast<void*>(&weighted<I...>);
    }

    template <std::size_t N>
    static void* address()
    {
        return address(std::make_index_sequence<N>{});
    }

    static std::vector<DynArg> arguments(std::size_t n)
    {
        std::vector<DynArg> args;
        for (std::size_t i = 0; i < n; ++i) {
            if (K != 0 && i % K == R)
                args.push_back(DynArg::real(0.5 + static_cast<double>(i)));
            else
                args.push_back(DynArg::signed_integer(static_cast<std::int64_t>(i) * 3 - 7));
        }
        return args;
    }

    static double expected(std::size_t n)
    {
        double sum = 0;
        for (std::size_t i = 0; i < n; ++i) {
            const double v = (K != 0 && i % K == R) ? 0.5 + static_cast<double>(i) : static_cast<double>(static_cast<long>(i) * 3 - 7);
            sum += static_cast<double>(i + 1) * v;
        }
        return sum;
    }
};

template <class M, std::size_t N>
void check_mixed()
{
    const auto args = M::arguments(N);
    const DynResult r = dyn_call(M::template address<N>(), args, DynReturn::floating);
    EXPECT_DOUBLE_EQ(r.floating, M::expected(N)) << N << " arguments";
}

TEST(DynCall, RegistersOnly)
{
    check_mixed<Mixed<0, 0>, 0>();
    check_mixed<Mixed<0, 0>, 6>();   // all six integer registers
    check_mixed<Mixed<1, 0>, 8>();   // all eight floating registers
    check_mixed<Mixed<2, 1>, 14>();  // both register files full, interleaved
}

TEST(DynCall, ThirteenMixedArgumentsSpillInOrder)
{
    check_mixed<Mixed<3, 0>, 13>();
    check_mixed<Mixed<3, 2>, 13>();
    check_mixed<Mixed<0, 0>, 13>(); // seven integers on the stack
    check_mixed<Mixed<1, 0>, 13>(); // five doubles on the stack
}

TEST(DynCall, ManyArgumentsUpTo255)
{
    check_mixed<Mixed<4, 1>, 40>();
    check_mixed<Mixed<0, 0>, 255>();
    check_mixed<Mixed<1, 0>, 255>();
    check_mixed<Mixed<3, 1>, 255>();
    const std::vector<DynArg> too_many(256);
    EXPECT_THROW(dyn_call(Mixed<0, 0>::address<0>(), too_many, DynReturn::integer), std::invalid_argument);
}

short XLL_CALL negate_short(short s) { return static_cast<short>(-s); }
int XLL_CALL scale(int a, double f, const int* b) { return static_cast<int>(a * f) + *b; }
const char16_t* XLL_CALL second_char(const char16_t* s, short flag) { return flag ? s + 1 : s; }

TEST(DynCall, IntegerClassesAndReturns)
{
    const DynArg s[] = {DynArg::signed_integer(5)};
    const DynResult r = dyn_call(reinterpret_cast<void*>(&negate_short), s, DynReturn::integer);
    EXPECT_EQ(static_cast<short>(r.integer & 0xFFFF), -5);

    const int b = 4;
    const DynArg mixed[] = {DynArg::signed_integer(-3), DynArg::real(2.5), DynArg::pointer(&b)};
    EXPECT_EQ(static_cast<int>(dyn_call(reinterpret_cast<void*>(&scale), mixed, DynReturn::integer).integer), -3);

    const char16_t text[] = u"xy";
    const DynArg p[] = {DynArg::pointer(text), DynArg::signed_integer(1)};
    EXPECT_EQ(reinterpret_cast<const char16_t*>(dyn_call(reinterpret_cast<void*>(&second_char), p, DynReturn::integer).integer), text + 1);
}

// The shape of an asynchronous function: nothing returned, its handle a pointer among the others.
void XLL_CALL async_shaped(double value, XLOPER12* handle, short times) { handle->val.num = value * times; }

TEST(DynCall, NothingReturnedAndAHandleAmongTheArguments)
{
    XLOPER12 handle{};
    handle.xltype = xltypeBigData;
    for (short times : {2, 3}) { // twice: the stack is as it was after the first
        const DynArg args[] = {DynArg::real(1.5), DynArg::pointer(&handle), DynArg::signed_integer(times)};
        dyn_call(reinterpret_cast<void*>(&async_shaped), args, DynReturn::integer);
        EXPECT_EQ(handle.val.num, 1.5 * times);
    }
}

} // namespace
} // namespace zorvane::host::test
