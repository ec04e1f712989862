#pragma once

// An entry of a client's error queue: the SCPI code and its text.
struct ScpiError {
    int nCode;
    const char* pszText;
};

inline constexpr ScpiError kSyntaxError{-102, "Syntax error"};
inline constexpr ScpiError kDataTypeError{-104, "Data type error"};
inline constexpr ScpiError kUndefinedHeader{-113, "Undefined header"};
inline constexpr ScpiError kHeaderSuffixOutOfRange{-114, "Header suffix out of range"};
inline constexpr ScpiError kCommandProtected{-203, "Command protected"};
inline constexpr ScpiError kSettingsConflict{-221, "Settings conflict"};
inline constexpr ScpiError kDataOutOfRange{-222, "Data out of range"};
inline constexpr ScpiError kTooMuchData{-223, "Too much data"};
inline constexpr ScpiError kIllegalParameterValue{-224, "Illegal parameter value"};
inline constexpr ScpiError kBoardDidNotAcknowledge{-240, "Hardware error;board did not acknowledge"};
inline constexpr ScpiError kHardwareMissing{-241, "Hardware missing"};
inline constexpr ScpiError kQueueOverflow{-350, "Queue overflow"};
