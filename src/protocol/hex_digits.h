#pragma once

// Upper-case digits by value: every hexadecimal text of the protocol uses them.
inline constexpr char kHexDigits[] = "0123456789ABCDEF";
