// The string cipher of the usage log, some posted fields and the enciphered configuration
// values: DES in ECB mode with PKCS7 padding under a key built into the program, with the
// cipher text as standard padded base64.  It never fails loudly: a text that does not
// encipher or decipher comes back unchanged.
#pragma once

#include <optional>
#include <string>
#include <string_view>

class NSDesEncrypt {
 public:
  static constexpr int kEncrypt = 0;
  static constexpr int kDecrypt = 1;

  // Encipher (YES): plain text to base64 cipher text; decipher (NO): the reverse.  Empty text
  // is returned as is.
  static std::string tripleDES(std::string_view text, bool isEncrypt);
  // The data form: for decrypt the input is base64 text, for encrypt the output is; nullopt
  // on failure.
  static std::optional<std::string> TripleDES(std::string_view data, int encryptOrDecrypt);
};
