// The floating-point unit's state while a number conversion does its double arithmetic.
//
// The conversions must round every intermediate result to the nearest double. That holds only in
// the state Windows starts a thread in: round to nearest, 53-bit precision on the x87 unit, no
// flush-to-zero or denormals-are-zero on SSE, every exception masked. Hosts change it (old
// graphics code truncates, audio code flushes denormals, Direct3D drops the x87 unit to single
// precision, Delphi runs it at extended precision with exceptions unmasked), so each conversion
// takes the unit into that state on entry and gives the host its own state back, bit for bit,
// before it returns. Only the units the build's code uses are touched: the x87 unit where the
// doubles are computed there, SSE wherever the compiler may use it (for the doubles, or on x86-64
// for conversions to integers even when the doubles are x87's). A 32-bit x87 build never
// executes an SSE instruction, which faults on a processor without SSE. On processors that are
// not x86 there is nothing to take.
//
// The compiler does not know that arithmetic depends on this state and may move arithmetic
// across these instructions within one function, so the arithmetic runs in a function of its
// own (not inlined) between TakeFloatUnit and GiveBackFloatUnit.
#pragma once

#include <cstdint>

#if defined(__i386__) || defined(__x86_64__)
#if !defined(__SSE2_MATH__)
#define TKT_OWNS_X87 1
#endif
#if defined(__SSE__)
#define TKT_OWNS_SSE 1
#endif
#endif

// The host's state, as a conversion found it.
struct HostFloatState {
#if TKT_OWNS_SSE
  uint32_t mxcsr;
#endif
#if TKT_OWNS_X87
  uint16_t control;
  uint16_t status;
#endif
};

#if TKT_OWNS_SSE
// Round to nearest, no flush-to-zero, no denormals-are-zero, all six exceptions masked, no flags.
constexpr uint32_t ConversionMxcsr = 0x1F80;
#endif
#if TKT_OWNS_X87
// Round to nearest, 53-bit precision, all six exceptions masked: Windows' own start-up word.
constexpr uint16_t ConversionControlWord = 0x027F;
// The x87 environment as FNSTENV writes it in 32-bit form: each word in the low half of a dword.
struct X87Environment {
  uint32_t control, status, tag, instruction, instructionSelector, operand, operandSelector;
};
// The status word's stack-top field, which must stay as the unit has it now.
constexpr uint32_t StatusStackTop = 0x3800;
// The same word at 64-bit precision, for quotients that fall below the normal doubles.
constexpr uint16_t ExtendedControlWord = 0x037F;
#endif

inline HostFloatState TakeFloatUnit() {
  HostFloatState host{};
#if TKT_OWNS_SSE
  const uint32_t ourMxcsr = ConversionMxcsr;
  __asm__ volatile("stmxcsr %0" : "=m"(host.mxcsr)::"memory");
  __asm__ volatile("ldmxcsr %0" ::"m"(ourMxcsr) : "memory");
#endif
#if TKT_OWNS_X87
  const uint16_t ourControl = ConversionControlWord;
  __asm__ volatile("fnstcw %0" : "=m"(host.control)::"memory");
  __asm__ volatile("fnstsw %0" : "=m"(host.status)::"memory");
  __asm__ volatile("fldcw %0" ::"m"(ourControl) : "memory");
#endif
  return host;
}

// Restores the host's control settings and its exception flags: the conversion's own arithmetic
// sets flags (inexact, overflow) that the host did not raise. On x87 the flags can only be written
// with the whole environment, whose register tags and stack top stay as they are now, so that a
// result waiting on the register stack survives.
inline void GiveBackFloatUnit(HostFloatState host) {
#if TKT_OWNS_SSE
  __asm__ volatile("ldmxcsr %0" ::"m"(host.mxcsr) : "memory");
#endif
#if TKT_OWNS_X87
  X87Environment environment;
  __asm__ volatile("fnstenv %0" : "=m"(environment)::"memory");
  environment.control = host.control;
  environment.status = (environment.status & StatusStackTop) | (host.status & ~StatusStackTop);
  __asm__ volatile("fldenv %0" ::"m"(environment) : "memory");
#endif
  (void)host;
}

// A conversion's result while the host's state is given back, and how it is handed to the caller.
// A double comes back on the x87 register stack; loaded there from memory as a double, a
// subnormal result would raise the denormal-operand flag in the host's state after it was given
// back. The unit's own 80-bit form holds every double as a normal number, and loading it raises
// nothing, so the result waits in that form and is loaded from it.
#if TKT_OWNS_X87
using HeldResult = long double;
inline double ReturnHeld(const HeldResult &held) {
  double result;
  __asm__ volatile("fldt %1" : "=t"(result) : "m"(held));
  return result;
}
#else
using HeldResult = double;
inline double ReturnHeld(HeldResult held) {
  return held;
}
#endif

// An x87 register keeps the precision the control word sets but an exponent range far wider than
// a double's: 10^400 stays finite there, where double arithmetic has overflowed to infinity.
// Storing the value as a double gives it the double's range, as SSE arithmetic has at every step.
inline double InDoubleRange(double value) {
#if TKT_OWNS_X87
  volatile double stored = value;
  return stored;
#else
  return value;
#endif
}

// A digit (0 to 9) over a weight of a fraction, as double arithmetic rounds it. The quotient falls
// below the normal doubles only over the last finite weight, 10^308; there the x87 unit would
// round it twice, to the precision control's 53 bits and then to the subnormal double on the
// store, and 1 / 10^308 would come out one unit too low. Divided at 64-bit precision instead, the
// store gives double arithmetic's own answer for every digit (the conversion tests hold all nine);
// this is not a general correctly rounded division. Called only while a conversion holds the unit.
inline double DigitOverWeight(double digit, double weight) {
#if TKT_OWNS_X87
  if (weight > 0x1p1020 && weight <= 0x1.fffffffffffffp+1023) {
    const uint16_t extended = ExtendedControlWord, conversion = ConversionControlWord;
    double quotient;
    // The division takes one slot of the x87 register stack and gives it back: the clobber
    // tells the compiler that the asm needs that slot free, whatever the code it is inlined
    // into holds on the stack. Named as the top, "st", which gcc and clang both read that way.
    __asm__ volatile("fldcw %[extended]\n\t"
                     "fldl %[digit]\n\t"
                     "fdivl %[weight]\n\t"
                     "fstpl %[quotient]\n\t"
                     "fldcw %[conversion]"
                     : [quotient] "=m"(quotient)
                     : [extended] "m"(extended), [digit] "m"(digit), [weight] "m"(weight),
                       [conversion] "m"(conversion)
                     : "st");
    return quotient;
  }
#endif
  return InDoubleRange(digit / weight);
}
