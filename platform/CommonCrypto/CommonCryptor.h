// Symmetric encryption with the platform's one-shot C interface.  Only single DES is provided
// (ECB or CBC, with or without PKCS7 padding): the one cipher the application uses.
#pragma once

#include <cstddef>
#include <cstdint>

using CCCryptorStatus = int32_t;
inline constexpr CCCryptorStatus kCCSuccess = 0;
inline constexpr CCCryptorStatus kCCParamError = -4300;
inline constexpr CCCryptorStatus kCCBufferTooSmall = -4301;
inline constexpr CCCryptorStatus kCCMemoryFailure = -4302;
inline constexpr CCCryptorStatus kCCAlignmentError = -4303;
inline constexpr CCCryptorStatus kCCDecodeError = -4304;
inline constexpr CCCryptorStatus kCCUnimplemented = -4305;

using CCOperation = uint32_t;
inline constexpr CCOperation kCCEncrypt = 0;
inline constexpr CCOperation kCCDecrypt = 1;

using CCAlgorithm = uint32_t;
inline constexpr CCAlgorithm kCCAlgorithmAES128 = 0;
inline constexpr CCAlgorithm kCCAlgorithmDES = 1;
inline constexpr CCAlgorithm kCCAlgorithm3DES = 2;

using CCOptions = uint32_t;
inline constexpr CCOptions kCCOptionPKCS7Padding = 0x0001;
inline constexpr CCOptions kCCOptionECBMode = 0x0002;

inline constexpr size_t kCCKeySizeDES = 8;
inline constexpr size_t kCCBlockSizeDES = 8;

// Encrypts or decrypts dataIn into dataOut in one call.  Without kCCOptionECBMode the mode is
// CBC with the 8-byte iv (zeros when iv is null).  *dataOutMoved (when given) receives the
// bytes written, or the bytes needed with kCCBufferTooSmall.  Errors: kCCParamError (bad
// operation, key length or pointers), kCCUnimplemented (an algorithm other than DES),
// kCCAlignmentError (input not a whole number of blocks where it must be), kCCDecodeError
// (bad padding on decryption).  dataIn and dataOut may be the same buffer.
CCCryptorStatus CCCrypt(CCOperation op, CCAlgorithm alg, CCOptions options, const void* key,
                        size_t keyLength, const void* iv, const void* dataIn, size_t dataInLength,
                        void* dataOut, size_t dataOutAvailable, size_t* dataOutMoved);
