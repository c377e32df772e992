#include "core/NSDesEncrypt.h"

#include "CommonCrypto/CommonCryptor.h"
#include "Foundation/NSString.h"
#include "core/ZBase64.h"

namespace {

// The program's key, used as its 8 UTF-8 bytes.
constexpr char kKey[] = "Kd2vNp9x";

std::optional<std::string> crypt(CCOperation op, std::string_view input) {
  // Room for the input and one block of padding, in whole blocks.
  std::string out((input.size() + kCCBlockSizeDES) / kCCBlockSizeDES * kCCBlockSizeDES, '\0');
  size_t moved = 0;
  CCCryptorStatus status =
      CCCrypt(op, kCCAlgorithmDES, kCCOptionPKCS7Padding | kCCOptionECBMode, kKey, kCCKeySizeDES,
              nullptr, input.data(), input.size(), out.data(), out.size(), &moved);
  if (status != kCCSuccess) return std::nullopt;
  out.resize(moved);
  return out;
}

}  // namespace

std::optional<std::string> NSDesEncrypt::TripleDES(std::string_view data, int encryptOrDecrypt) {
  if (encryptOrDecrypt == kEncrypt) {
    auto cipher = crypt(kCCEncrypt, data);
    if (!cipher) return std::nullopt;
    return ZBase64::encodeData(*cipher);
  }
  if (encryptOrDecrypt != kDecrypt) return std::nullopt;
  auto cipher = ZBase64::decodeData(data);
  if (!cipher) return std::nullopt;
  return crypt(kCCDecrypt, *cipher);
}

std::string NSDesEncrypt::tripleDES(std::string_view text, bool isEncrypt) {
  if (text.empty()) return std::string(text);
  auto out = TripleDES(text, isEncrypt ? kEncrypt : kDecrypt);
  // Plain bytes that are not UTF-8 text mean the text was not ours to decipher.
  if (!out || (!isEncrypt && !isValidUTF8(*out))) return std::string(text);
  return *out;
}
