#!/usr/bin/env python3
"""Prints the constants of surface/exactmath.cpp: the bits of 2/pi, pi/2 and
the Taylor coefficients as pairs of doubles whose sum is the value to about
106 bits. Exact integer and rational arithmetic only."""
from fractions import Fraction

PREC = 1200  # bits


def arctan_inv(x, one):
    # arctan(1/x) * one, by its series in integers
    total, term, n, sign = 0, one // x, 1, 1
    x2 = x * x
    while term:
        total += sign * (term // n)
        term //= x2
        n += 2
        sign = -sign
    return total


one = 1 << PREC
pi_fixed = 4 * (4 * arctan_inv(5, one) - arctan_inv(239, one))  # Machin
pi = Fraction(pi_fixed, one)


def dd(v):
    hi = float(v)  # Fraction -> double rounds to nearest
    lo = float(v - Fraction(hi))
    return hi, lo


words = 12
two_over_pi = (2 * one * one // pi_fixed)  # 2/pi * 2^PREC
bits = two_over_pi >> (PREC - 32 * words)  # the first 32*words bits after the point
print("static const uint32_t kTwoOverPi[%d] = {" % words)
print("    " + ", ".join("0x%08X" % ((bits >> (32 * (words - 1 - i))) & 0xFFFFFFFF) for i in range(words)) + "};")
print("static const DD kHalfPi = {%r, %r};" % dd(pi / 2))
fact = 1
sinc, cosc = [], []
for n in range(0, 32):
    if n > 0:
        fact *= n
    c = Fraction((-1) ** (n // 2), fact)
    (cosc if n % 2 == 0 else sinc).append(dd(c))
print("static const DD kSinCoef[%d] = {" % len(sinc))
for h, l in sinc:
    print("    {%r, %r}," % (h, l))
print("};")
print("static const DD kCosCoef[%d] = {" % len(cosc))
for h, l in cosc:
    print("    {%r, %r}," % (h, l))
print("};")
