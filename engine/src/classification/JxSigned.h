#pragma once

#include <cstdint>

/// The base of every engine object behind a handle: engines, sessions and engine images. The
/// signature holds JxSignature from construction until the destructor clears it. Handles are
/// first looked up in the table of live objects (JxHandleRegistry), so the signature is only
/// ever read from live memory. The virtual destructor lets JxFinish delete sessions and images
/// whose full type it does not know.
class JxSigned {
public:
    static constexpr std::int32_t JxSignature = -5;

    JxSigned() = default;
    JxSigned(const JxSigned&) : signature(JxSignature) {}
    JxSigned& operator=(const JxSigned&) { return *this; }
    virtual ~JxSigned() { signature = 0; }

    bool isSigned() const { return signature == JxSignature; }

    std::int32_t signature = JxSignature;
};
