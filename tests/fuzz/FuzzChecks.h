#pragma once

// What the readers of outside bytes promise, checked on any bytes: each
// check feeds the bytes through the function the program calls (through a
// temporary file where the reader takes a path) and returns what broke,
// empty when every promise held. A reader either refuses the bytes with a
// clear error (VarkolError) and leaves the program's state as it was, or
// loads a record whose every value is within its limits.
//
// The fuzz targets (tests/fuzz, built by scripts/fuzz with libFuzzer) abort
// on a broken promise; the io tests replay every seed and every input a
// target ever failed on (tests/fuzz/regressions) through the same checks.

#include <cstddef>
#include <cstdint>
#include <string>

using FuzzCheck = std::string (*)(const std::uint8_t* data, std::size_t size);

std::string CheckDataFile(const std::uint8_t* data, std::size_t size);       // .vkd, .txt, .dat
std::string CheckModelFile(const std::uint8_t* data, std::size_t size);      // .vkm
std::string CheckControllerFile(const std::uint8_t* data, std::size_t size); // .vkc
std::string CheckSettingsFile(const std::uint8_t* data, std::size_t size);   // .vkx
std::string CheckNumberText(const std::uint8_t* data, std::size_t size); // number and sample fields
std::string CheckUaMessage(const std::uint8_t* data, std::size_t size);  // OPC UA from a server

struct FuzzTarget {
    const char* Name; // folder of its corpus and regressions, fuzz_<Name>
    FuzzCheck Check;
};

inline constexpr FuzzTarget FuzzTargets[] = {
    {"data_file", CheckDataFile},
    {"model_file", CheckModelFile},
    {"controller_file", CheckControllerFile},
    {"settings_file", CheckSettingsFile},
    {"number_text", CheckNumberText},
    {"ua_message", CheckUaMessage},
};
