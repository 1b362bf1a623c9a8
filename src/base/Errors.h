#pragma once

// The program's failures. Every failure the user must hear about is one of
// these exceptions; what() is the message the user reads, saying what failed
// and where. The GUI shows it in a message box and abandons the handler
// (see ErrorGuard), the command-line companion prints it on stderr.

#include <stdexcept>
#include <string>

class VarkolError : public std::runtime_error {
public:
    explicit VarkolError(const std::string& message) : std::runtime_error(message) {}
};

// A text that should be a number (or an integer) and is not.
class ConversionError : public VarkolError {
public:
    using VarkolError::VarkolError;
};

// A file that cannot be read, is malformed, or cannot be written.
class FileError : public VarkolError {
public:
    using VarkolError::VarkolError;
};

// A refused OPC operation (connection, group, write).
class OpcError : public VarkolError {
public:
    using VarkolError::VarkolError;
};

// A computation whose inputs give no meaningful result (where the arithmetic
// would produce inf or NaN).
class ComputationError : public VarkolError {
public:
    using VarkolError::VarkolError;
};
