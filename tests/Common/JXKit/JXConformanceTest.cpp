// Conformance cases named in the style of the public JSON parsing test suites: y_ must be
// accepted, n_ must be refused, i_ is left to the parser.  The reader is stricter than those
// suites in three ways, each listed below as an expected refusal with its reason:
//   - the top level must be an object or an array (no lone scalars);
//   - "\u0000" is refused, escaped or in a key;
//   - noncharacters (U+FDD0-U+FDEF and every code point ending in FFFE or FFFF) are refused,
//     escaped or raw.
// Integers outside the 64-bit ranges are refused rather than turned into doubles, and doubles
// that overflow or round to zero are refused; nesting stops at 512 levels.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Common/JXKit/JXKitTestSupport.h"

namespace {

enum class Expect { Accept, Reject };

struct Case {
  const char* name;
  std::string json;
  Expect expect;
  // Why a case the suites accept is refused here (empty for the ordinary cases).
  const char* stricter = "";
};

constexpr const char* kTopLevel = "the top level must be an object or an array";
// A number must be followed by something, and the first token's own fault is the one reported.
constexpr const char* kTopLevelNumber = "a number may not end the text";
constexpr const char* kNul = "an escaped NUL is refused";
constexpr const char* kNonchar = "noncharacters are refused";

std::string repeat(const std::string& s, int n) {
  std::string out;
  for (int i = 0; i < n; ++i) out += s;
  return out;
}

std::string bytes(std::initializer_list<int> b) {
  std::string out;
  for (int c : b) out += char(c);
  return out;
}

const std::vector<Case>& cases() {
  static const std::vector<Case> all = {
      // ---- must accept ----
      {"y_array_arraysWithSpaces", "[[]   ]", Expect::Accept},
      {"y_array_empty", "[]", Expect::Accept},
      {"y_array_empty-string", R"([""])", Expect::Accept},
      {"y_array_ending_with_newline", "[\"a\"]\n", Expect::Accept},
      {"y_array_false", "[false]", Expect::Accept},
      {"y_array_heterogeneous", R"([null, 1, "1", {}])", Expect::Accept},
      {"y_array_null", "[null]", Expect::Accept},
      {"y_array_with_1_and_newline", "[1\n]", Expect::Accept},
      {"y_array_with_leading_space", " [1]", Expect::Accept},
      {"y_array_with_several_null", "[1,null,null,null,2]", Expect::Accept},
      {"y_array_with_trailing_space", "[2] ", Expect::Accept},
      {"y_number", "[123e65]", Expect::Accept},
      {"y_number_0e+1", "[0e+1]", Expect::Accept},
      {"y_number_0e1", "[0e1]", Expect::Accept},
      {"y_number_after_space", "[ 4]", Expect::Accept},
      {"y_number_double_close_to_zero",
       "[-0.000000000000000000000000000000000000000000000000000000000000000000000000000001]",
       Expect::Accept},
      {"y_number_int_with_exp", "[20e1]", Expect::Accept},
      {"y_number_minus_zero", "[-0]", Expect::Accept},
      {"y_number_negative_int", "[-123]", Expect::Accept},
      {"y_number_negative_one", "[-1]", Expect::Accept},
      {"y_number_negative_zero", "[-0]", Expect::Accept},
      {"y_number_real_capital_e", "[1E22]", Expect::Accept},
      {"y_number_real_capital_e_neg_exp", "[1E-2]", Expect::Accept},
      {"y_number_real_capital_e_pos_exp", "[1E+2]", Expect::Accept},
      {"y_number_real_exponent", "[123e45]", Expect::Accept},
      {"y_number_real_fraction_exponent", "[123.456e78]", Expect::Accept},
      {"y_number_real_neg_exp", "[1e-2]", Expect::Accept},
      {"y_number_real_pos_exponent", "[1e+2]", Expect::Accept},
      {"y_number_simple_int", "[123]", Expect::Accept},
      {"y_number_simple_real", "[123.456789]", Expect::Accept},
      {"y_object", R"({"asd":"sdf", "dfg":"fgh"})", Expect::Accept},
      {"y_object_basic", R"({"asd":"sdf"})", Expect::Accept},
      {"y_object_duplicated_key", R"({"a":"b","a":"c"})", Expect::Accept},
      {"y_object_duplicated_key_and_value", R"({"a":"b","a":"b"})", Expect::Accept},
      {"y_object_empty", "{}", Expect::Accept},
      {"y_object_empty_key", R"({"":0})", Expect::Accept},
      {"y_object_escaped_null_in_key", R"({"foo\u0000bar": 42})", Expect::Reject, kNul},
      {"y_object_extreme_numbers", R"({ "min": -1.0e+28, "max": 1.0e+28 })", Expect::Accept},
      {"y_object_long_strings",
       R"({"x":[{"id": "xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx"}], "id": "xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx"})",
       Expect::Accept},
      {"y_object_simple", R"({"a":[]})", Expect::Accept},
      {"y_object_string_unicode",
       R"({"title":"\u041f\u043e\u043b\u0442\u043e\u0440\u0430 \u0417\u0435\u043c\u043b\u0435\u043a\u043e\u043f\u0430" })",
       Expect::Accept},
      {"y_object_with_newlines", "{\n\"a\": \"b\"\n}", Expect::Accept},
      {"y_string_1_2_3_bytes_UTF-8_sequences", R"(["\u0060\u012a\u12AB"])", Expect::Accept},
      {"y_string_accepted_surrogate_pair", R"(["\uD801\udc37"])", Expect::Accept},
      {"y_string_accepted_surrogate_pairs", R"(["\ud83d\ude39\ud83d\udc8d"])", Expect::Accept},
      {"y_string_allowed_escapes", R"(["\"\\\/\b\f\n\r\t"])", Expect::Accept},
      {"y_string_backslash_and_u_escaped_zero", R"(["\\u0000"])", Expect::Accept},
      {"y_string_backslash_doublequotes", R"(["\""])", Expect::Accept},
      {"y_string_comments", R"(["a/*b*/c/*d//e"])", Expect::Accept},
      {"y_string_double_escape_a", R"(["\\a"])", Expect::Accept},
      {"y_string_double_escape_n", R"(["\\n"])", Expect::Accept},
      {"y_string_escaped_control_character", R"(["\u0012"])", Expect::Accept},
      {"y_string_escaped_noncharacter", R"(["\uFFFF"])", Expect::Reject, kNonchar},
      {"y_string_in_array", R"(["asd"])", Expect::Accept},
      {"y_string_in_array_with_leading_space", R"([ "asd"])", Expect::Accept},
      {"y_string_last_surrogates_1_and_2", R"(["\uDBFF\uDFFF"])", Expect::Reject, kNonchar},
      {"y_string_nbsp_uescaped", R"(["new\u00A0line"])", Expect::Accept},
      {"y_string_nonCharacterInUTF-8_U+10FFFF", "[\"\xF4\x8F\xBF\xBF\"]", Expect::Reject, kNonchar},
      {"y_string_nonCharacterInUTF-8_U+FFFF", "[\"\xEF\xBF\xBF\"]", Expect::Reject, kNonchar},
      {"y_string_null_escape", R"(["\u0000"])", Expect::Reject, kNul},
      {"y_string_one-byte-utf-8", R"(["\u002c"])", Expect::Accept},
      {"y_string_pi", "[\"\xCF\x80\"]", Expect::Accept},
      {"y_string_reservedCharacterInUTF-8_U+1BFFF", "[\"\xF0\x9B\xBF\xBF\"]", Expect::Accept},
      {"y_string_simple_ascii", R"(["asd "])", Expect::Accept},
      {"y_string_space", R"(" ")", Expect::Reject, kTopLevel},
      {"y_string_surrogates_U+1D11E_MUSICAL_SYMBOL_G_CLEF", R"(["\uD834\uDd1e"])", Expect::Accept},
      {"y_string_three-byte-utf-8", R"(["\u0821"])", Expect::Accept},
      {"y_string_two-byte-utf-8", R"(["\u0123"])", Expect::Accept},
      {"y_string_u+2028_line_sep", "[\"\xE2\x80\xA8\"]", Expect::Accept},
      {"y_string_u+2029_par_sep", "[\"\xE2\x80\xA9\"]", Expect::Accept},
      {"y_string_uEscape", R"(["\u0061\u30af\u30EA\u30b9"])", Expect::Accept},
      {"y_string_uescaped_newline", R"(["new\u000Aline"])", Expect::Accept},
      {"y_string_unescaped_char_delete", "[\"\x7F\"]", Expect::Accept},
      {"y_string_unicode", R"(["\uA66D"])", Expect::Accept},
      {"y_string_unicodeEscapedBackslash", R"(["\u005C"])", Expect::Accept},
      {"y_string_unicode_2", "[\"\xE2\x8D\x82\xE3\x88\xB4\xE2\x8D\x82\"]", Expect::Accept},
      {"y_string_unicode_U+10FFFE_nonchar", R"(["\uDBFF\uDFFE"])", Expect::Reject, kNonchar},
      {"y_string_unicode_U+1FFFE_nonchar", R"(["\uD83F\uDFFE"])", Expect::Reject, kNonchar},
      {"y_string_unicode_U+200B_ZERO_WIDTH_SPACE", R"(["\u200B"])", Expect::Accept},
      {"y_string_unicode_U+2064_invisible_plus", R"(["\u2064"])", Expect::Accept},
      {"y_string_unicode_U+FDD0_nonchar", R"(["\uFDD0"])", Expect::Reject, kNonchar},
      {"y_string_unicode_U+FFFE_nonchar", R"(["\uFFFE"])", Expect::Reject, kNonchar},
      {"y_string_unicode_escaped_double_quote", R"(["\u0022"])", Expect::Accept},
      {"y_string_utf8", "[\"\xE2\x82\xAC\xF0\x9D\x84\x9E\"]", Expect::Accept},
      {"y_string_with_del_character",
       "[\"a\x7F"
       "a\"]",
       Expect::Accept},
      {"y_structure_lonely_false", "false", Expect::Reject, kTopLevel},
      {"y_structure_lonely_int", "42", Expect::Reject, kTopLevelNumber},
      {"y_structure_lonely_negative_real", "-0.1", Expect::Reject, kTopLevelNumber},
      {"y_structure_lonely_null", "null", Expect::Reject, kTopLevel},
      {"y_structure_lonely_string", R"("asd")", Expect::Reject, kTopLevel},
      {"y_structure_lonely_true", "true", Expect::Reject, kTopLevel},
      {"y_structure_string_empty", R"("")", Expect::Reject, kTopLevel},
      {"y_structure_trailing_newline", "[\"a\"]\n", Expect::Accept},
      {"y_structure_true_in_array", "[true]", Expect::Accept},
      {"y_structure_whitespace_array", " [] ", Expect::Accept},

      // ---- must refuse ----
      {"n_array_1_true_without_comma", "[1 true]", Expect::Reject},
      {"n_array_a_invalid_utf8", "[a\xE5]", Expect::Reject},
      {"n_array_colon_instead_of_comma", R"(["": 1])", Expect::Reject},
      {"n_array_comma_after_close", R"([""],)", Expect::Reject},
      {"n_array_comma_and_number", "[,1]", Expect::Reject},
      {"n_array_double_comma", "[1,,2]", Expect::Reject},
      {"n_array_double_extra_comma", R"(["x",,])", Expect::Reject},
      {"n_array_extra_close", R"(["x"]])", Expect::Reject},
      {"n_array_extra_comma", R"(["",])", Expect::Reject},
      {"n_array_incomplete", R"(["x")", Expect::Reject},
      {"n_array_incomplete_invalid_value", "[x", Expect::Reject},
      {"n_array_inner_array_no_comma", "[3[4]]", Expect::Reject},
      {"n_array_invalid_utf8", "[\xFF]", Expect::Reject},
      {"n_array_items_separated_by_semicolon", "[1:2]", Expect::Reject},
      {"n_array_just_comma", "[,]", Expect::Reject},
      {"n_array_just_minus", "[-]", Expect::Reject},
      {"n_array_missing_value", R"([   , ""])", Expect::Reject},
      {"n_array_newlines_unclosed", "[\"a\",\n4\n,1,", Expect::Reject},
      {"n_array_number_and_comma", "[1,]", Expect::Reject},
      {"n_array_number_and_several_commas", "[1,,]", Expect::Reject},
      {"n_array_spaces_vertical_tab_formfeed",
       "[\"\x0B"
       "a\"\\f]",
       Expect::Reject},
      {"n_array_star_inside", "[*]", Expect::Reject},
      {"n_array_unclosed", "[\"\"", Expect::Reject},
      {"n_array_unclosed_trailing_comma", "[1,", Expect::Reject},
      {"n_array_unclosed_with_new_lines", "[1,\n1\n,1", Expect::Reject},
      {"n_array_unclosed_with_object_inside", "[{}", Expect::Reject},
      {"n_incomplete_false", "[fals]", Expect::Reject},
      {"n_incomplete_null", "[nul]", Expect::Reject},
      {"n_incomplete_true", "[tru]", Expect::Reject},
      {"n_multidigit_number_then_00", std::string("123\0", 4), Expect::Reject},
      {"n_number_++", "[++1234]", Expect::Reject},
      {"n_number_+1", "[+1]", Expect::Reject},
      {"n_number_+Inf", "[+Inf]", Expect::Reject},
      {"n_number_-01", "[-01]", Expect::Reject},
      {"n_number_-1.0.", "[-1.0.]", Expect::Reject},
      {"n_number_-2.", "[-2.]", Expect::Reject},
      {"n_number_-NaN", "[-NaN]", Expect::Reject},
      {"n_number_.-1", "[.-1]", Expect::Reject},
      {"n_number_.2e-3", "[.2e-3]", Expect::Reject},
      {"n_number_0.1.2", "[0.1.2]", Expect::Reject},
      {"n_number_0.3e+", "[0.3e+]", Expect::Reject},
      {"n_number_0.3e", "[0.3e]", Expect::Reject},
      {"n_number_0.e1", "[0.e1]", Expect::Reject},
      {"n_number_0_capital_E+", "[0E+]", Expect::Reject},
      {"n_number_0_capital_E", "[0E]", Expect::Reject},
      {"n_number_0e+", "[0e+]", Expect::Reject},
      {"n_number_0e", "[0e]", Expect::Reject},
      {"n_number_1.0e+", "[1.0e+]", Expect::Reject},
      {"n_number_1.0e-", "[1.0e-]", Expect::Reject},
      {"n_number_1.0e", "[1.0e]", Expect::Reject},
      {"n_number_1_000", "[1 000.0]", Expect::Reject},
      {"n_number_1eE2", "[1eE2]", Expect::Reject},
      {"n_number_2.e+3", "[2.e+3]", Expect::Reject},
      {"n_number_2.e-3", "[2.e-3]", Expect::Reject},
      {"n_number_2.e3", "[2.e3]", Expect::Reject},
      {"n_number_9.e+", "[9.e+]", Expect::Reject},
      {"n_number_Inf", "[Inf]", Expect::Reject},
      {"n_number_NaN", "[NaN]", Expect::Reject},
      {"n_number_U+FF11_fullwidth_digit_one", "[\xEF\xBC\x91]", Expect::Reject},
      {"n_number_expression", "[1+2]", Expect::Reject},
      {"n_number_hex_1_digit", "[0x1]", Expect::Reject},
      {"n_number_hex_2_digits", "[0x42]", Expect::Reject},
      {"n_number_infinity", "[Infinity]", Expect::Reject},
      {"n_number_invalid+-", "[0e+-1]", Expect::Reject},
      {"n_number_invalid-negative-real", "[-123.123foo]", Expect::Reject},
      {"n_number_minus_infinity", "[-Infinity]", Expect::Reject},
      {"n_number_minus_sign_with_trailing_garbage", "[-foo]", Expect::Reject},
      {"n_number_minus_space_1", "[- 1]", Expect::Reject},
      {"n_number_neg_int_starting_with_zero", "[-012]", Expect::Reject},
      {"n_number_neg_real_without_int_part", "[-.123]", Expect::Reject},
      {"n_number_neg_with_garbage_at_end", "[-1x]", Expect::Reject},
      {"n_number_real_garbage_after_e", "[1ea]", Expect::Reject},
      {"n_number_real_without_fractional_part", "[1.]", Expect::Reject},
      {"n_number_starting_with_dot", "[.123]", Expect::Reject},
      {"n_number_with_alpha", "[1.2a-3]", Expect::Reject},
      {"n_number_with_alpha_char", "[1.8011670033376514H-308]", Expect::Reject},
      {"n_number_with_leading_zero", "[012]", Expect::Reject},
      {"n_object_bad_value", R"(["x", truth])", Expect::Reject},
      {"n_object_bracket_key", "{[: \"x\"}", Expect::Reject},
      {"n_object_comma_instead_of_colon", R"({"x", null})", Expect::Reject},
      {"n_object_double_colon", R"({"x"::"b"})", Expect::Reject},
      {"n_object_emoji", "{\xF0\x9F\x87\xA8\xF0\x9F\x87\xAD}", Expect::Reject},
      {"n_object_garbage_at_end", R"({"a":"a" 123})", Expect::Reject},
      {"n_object_key_with_single_quotes", "{key: 'value'}", Expect::Reject},
      {"n_object_missing_colon", "{\"a\" b}", Expect::Reject},
      {"n_object_missing_key", "{:\"b\"}", Expect::Reject},
      {"n_object_missing_semicolon", R"({"a" "b"})", Expect::Reject},
      {"n_object_missing_value", R"({"a":)", Expect::Reject},
      {"n_object_no-colon", R"({"a")", Expect::Reject},
      {"n_object_non_string_key", "{1:1}", Expect::Reject},
      {"n_object_non_string_key_but_huge_number_instead", "{9999E9999:1}", Expect::Reject},
      {"n_object_repeated_null_null", "{null:null,null:null}", Expect::Reject},
      {"n_object_several_trailing_commas", R"({"id":0,,,,,})", Expect::Reject},
      {"n_object_single_quote", "{'a':0}", Expect::Reject},
      {"n_object_trailing_comma", R"({"id":0,})", Expect::Reject},
      {"n_object_trailing_comment", R"({"a":"b"}/**/)", Expect::Reject},
      {"n_object_trailing_comment_open", R"({"a":"b"}/**//)", Expect::Reject},
      {"n_object_trailing_comment_slash_open", R"({"a":"b"}//)", Expect::Reject},
      {"n_object_two_commas_in_a_row", R"({"a":"b",,"c":"d"})", Expect::Reject},
      {"n_object_unquoted_key", R"({a: "b"})", Expect::Reject},
      {"n_object_unterminated-value", R"({"a":"a)", Expect::Reject},
      {"n_object_with_single_string", R"({ "foo" : "bar", "a" })", Expect::Reject},
      {"n_object_with_trailing_garbage", R"({"a":"b"}#)", Expect::Reject},
      {"n_single_space", " ", Expect::Reject},
      {"n_string_1_surrogate_then_escape", R"(["\uD800\"])", Expect::Reject},
      {"n_string_1_surrogate_then_escape_u", R"(["\uD800\u"])", Expect::Reject},
      {"n_string_1_surrogate_then_escape_u1", R"(["\uD800\u1"])", Expect::Reject},
      {"n_string_1_surrogate_then_escape_u1x", R"(["\uD800\u1x"])", Expect::Reject},
      {"n_string_accentuated_char_no_quotes", "[\xC3\xA9]", Expect::Reject},
      {"n_string_backslash_00", std::string("[\"\\\0\"]", 5), Expect::Reject},
      {"n_string_escape_x", R"(["\x00"])", Expect::Reject},
      {"n_string_escaped_backslash_bad", R"(["\\\"])", Expect::Reject},
      {"n_string_escaped_ctrl_char_tab", "[\"\\\t\"]", Expect::Reject},
      {"n_string_escaped_emoji", "[\"\\\xF0\x9F\x8C\x80\"]", Expect::Reject},
      {"n_string_incomplete_escape", R"(["\"])", Expect::Reject},
      {"n_string_incomplete_escaped_character", R"(["\u00A"])", Expect::Reject},
      {"n_string_incomplete_surrogate", R"(["\uD834\uDd"])", Expect::Reject},
      {"n_string_incomplete_surrogate_escape_invalid", R"(["\uD800\uD800\x"])", Expect::Reject},
      {"n_string_invalid-utf-8-in-escape", "[\"\\u\xE5\"]", Expect::Reject},
      {"n_string_invalid_backslash_esc", R"(["\a"])", Expect::Reject},
      {"n_string_invalid_unicode_escape", R"(["\uqqqq"])", Expect::Reject},
      {"n_string_invalid_utf8_after_escape", "[\"\\\xE5\"]", Expect::Reject},
      {"n_string_leading_uescaped_thinspace", R"([\u0020"asd"])", Expect::Reject},
      {"n_string_no_quotes_with_bad_escape", R"([\n])", Expect::Reject},
      {"n_string_single_doublequote", "\"", Expect::Reject},
      {"n_string_single_quote", "['single quote']", Expect::Reject},
      {"n_string_single_string_no_double_quotes", "abc", Expect::Reject},
      {"n_string_start_escape_unclosed", R"(["\)", Expect::Reject},
      {"n_string_unescaped_ctrl_char", std::string("[\"a\0a\"]", 7), Expect::Reject},
      {"n_string_unescaped_newline", "[\"new\nline\"]", Expect::Reject},
      {"n_string_unescaped_tab", "[\"\t\"]", Expect::Reject},
      {"n_string_unicode_CapitalU", R"("\UA66D")", Expect::Reject},
      {"n_string_with_trailing_garbage", R"(""x)", Expect::Reject},
      {"n_structure_100000_opening_arrays", std::string(100000, '['), Expect::Reject},
      {"n_structure_angle_bracket_.", "<.>", Expect::Reject},
      {"n_structure_angle_bracket_null", "[<null>]", Expect::Reject},
      {"n_structure_array_trailing_garbage", "[1]x", Expect::Reject},
      {"n_structure_array_with_extra_array_close", "[1]]", Expect::Reject},
      {"n_structure_array_with_unclosed_string", R"(["asd])", Expect::Reject},
      {"n_structure_ascii-unicode-identifier", "a\xC3\xA5", Expect::Reject},
      {"n_structure_capitalized_True", "[True]", Expect::Reject},
      {"n_structure_close_unopened_array", "1]", Expect::Reject},
      {"n_structure_comma_instead_of_closing_brace", R"({"x": true,)", Expect::Reject},
      {"n_structure_double_array", "[][]", Expect::Reject},
      {"n_structure_end_array", "]", Expect::Reject},
      {"n_structure_incomplete_UTF8_BOM", "\xEF\xBB{}", Expect::Reject},
      {"n_structure_lone-invalid-utf-8", "\xE5", Expect::Reject},
      {"n_structure_lone-open-bracket", "[", Expect::Reject},
      {"n_structure_no_data", "", Expect::Reject},
      {"n_structure_null-byte-outside-string", std::string("[\0]", 3), Expect::Reject},
      {"n_structure_number_with_trailing_garbage", "2@", Expect::Reject},
      {"n_structure_object_followed_by_closing_object", "{}}", Expect::Reject},
      {"n_structure_object_unclosed_no_value", R"({"":)", Expect::Reject},
      {"n_structure_object_with_comment", R"({"a":/*comment*/"b"})", Expect::Reject},
      {"n_structure_object_with_trailing_garbage", R"({"a": true} "x")", Expect::Reject},
      {"n_structure_open_array_apostrophe", "['", Expect::Reject},
      {"n_structure_open_array_comma", "[,", Expect::Reject},
      {"n_structure_open_array_object", repeat(R"([{"":)", 50000) + "\n", Expect::Reject},
      {"n_structure_open_array_open_object", "[{", Expect::Reject},
      {"n_structure_open_array_open_string", "[\"a", Expect::Reject},
      {"n_structure_open_array_string", "[\"a\"", Expect::Reject},
      {"n_structure_open_object", "{", Expect::Reject},
      {"n_structure_open_object_close_array", "{]", Expect::Reject},
      {"n_structure_open_object_comma", "{,", Expect::Reject},
      {"n_structure_open_object_open_array", "{[", Expect::Reject},
      {"n_structure_open_object_open_string", "{\"a", Expect::Reject},
      {"n_structure_open_object_string_with_apostrophes", "{'a'", Expect::Reject},
      {"n_structure_open_open", R"(["\{["\{["\{["\{)", Expect::Reject},
      {"n_structure_single_eacute", "\xE9", Expect::Reject},
      {"n_structure_single_star", "*", Expect::Reject},
      {"n_structure_trailing_#", R"({"a":"b"}#{})", Expect::Reject},
      {"n_structure_U+2060_word_joined", "[\xE2\x81\xA0]", Expect::Reject},
      {"n_structure_uescaped_LF_before_string", R"([\u000A""])", Expect::Reject},
      {"n_structure_unclosed_array", "[1", Expect::Reject},
      {"n_structure_unclosed_array_partial_null", "[ false, nul", Expect::Reject},
      {"n_structure_unclosed_array_unfinished_false", "[ true, fals", Expect::Reject},
      {"n_structure_unclosed_array_unfinished_true", "[ false, tru", Expect::Reject},
      {"n_structure_unclosed_object", R"({"asd":"asd")", Expect::Reject},
      {"n_structure_unicode-identifier", "\xC3\xA5", Expect::Reject},
      {"n_structure_UTF8_BOM_no_data", "\xEF\xBB\xBF", Expect::Reject},
      {"n_structure_whitespace_formfeed", "[\f]", Expect::Reject},
      {"n_structure_whitespace_U+2060_word_joiner", "[\xE2\x81\xA0]", Expect::Reject},

      // ---- left to the parser: what this reader does ----
      {"i_number_double_huge_neg_exp", "[123.456e-789]", Expect::Reject},
      {"i_number_huge_exp",
       "[0.4e00669999999999999999999999999999999999999999999999999999999999999999999999999999999999"
       "9999999999999999999999999999999999999999999999969999999006]",
       Expect::Reject},
      {"i_number_neg_int_huge_exp", "[-1e+9999]", Expect::Reject},
      {"i_number_pos_double_huge_exp", "[1.5e+9999]", Expect::Reject},
      {"i_number_real_neg_overflow", "[-123123e100000]", Expect::Reject},
      {"i_number_real_pos_overflow", "[123123e100000]", Expect::Reject},
      {"i_number_real_underflow", "[123e-10000000]", Expect::Reject},
      {"i_number_too_big_neg_int", "[-123123123123123123123123123123]", Expect::Reject},
      {"i_number_too_big_pos_int", "[100000000000000000000]", Expect::Reject},
      {"i_number_very_big_negative_int", "[-237462374673276894279832749832423479823246327846]",
       Expect::Reject},
      {"i_object_key_lone_2nd_surrogate", R"({"\uDFAA":0})", Expect::Reject},
      {"i_string_1st_surrogate_but_2nd_missing", R"(["\uDADA"])", Expect::Reject},
      {"i_string_1st_valid_surrogate_2nd_invalid", R"(["\uD888\u1234"])", Expect::Reject},
      {"i_string_UTF-16LE_with_BOM", bytes({0xFF, 0xFE, '[', 0, '"', 0, 0xE9, 0, '"', 0, ']', 0}),
       Expect::Reject},
      {"i_string_UTF-8_invalid_sequence", "[\"\xE6\x97\xA5\xD1\x88\xFA\"]", Expect::Reject},
      {"i_string_UTF8_surrogate_U+D800", "[\"\xED\xA0\x80\"]", Expect::Reject},
      {"i_string_incomplete_surrogate_and_escape_valid", R"(["\uD800\n"])", Expect::Reject},
      {"i_string_incomplete_surrogate_pair", R"(["\uDd1ea"])", Expect::Reject},
      {"i_string_incomplete_surrogates_escape_valid", R"(["\uD800\uD800\n"])", Expect::Reject},
      {"i_string_invalid_lonely_surrogate", R"(["\ud800"])", Expect::Reject},
      {"i_string_invalid_surrogate", R"(["\ud800abc"])", Expect::Reject},
      {"i_string_invalid_utf-8", "[\"\xFF\"]", Expect::Reject},
      {"i_string_inverted_surrogates_U+1D11E", R"(["\uDd1e\uD834"])", Expect::Reject},
      {"i_string_iso_latin_1", "[\"\xE9\"]", Expect::Reject},
      {"i_string_lone_second_surrogate", R"(["\uDFAA"])", Expect::Reject},
      {"i_string_lone_utf8_continuation_byte", "[\"\x81\"]", Expect::Reject},
      {"i_string_not_in_unicode_range", "[\"\xF4\xBF\xBF\xBF\"]", Expect::Reject},
      {"i_string_overlong_sequence_2_bytes", "[\"\xC0\xAF\"]", Expect::Reject},
      {"i_string_overlong_sequence_6_bytes", "[\"\xFC\x83\xBF\xBF\xBF\xBF\"]", Expect::Reject},
      {"i_string_overlong_sequence_6_bytes_null", "[\"\xFC\x80\x80\x80\x80\x80\"]", Expect::Reject},
      {"i_string_truncated-utf-8", "[\"\xE0\xFF\"]", Expect::Reject},
      {"i_string_utf16BE_no_BOM", bytes({0, '[', 0, '"', 0, 0xE9, 0, '"', 0, ']'}), Expect::Reject},
      {"i_string_utf16LE_no_BOM", bytes({'[', 0, '"', 0, 0xE9, 0, '"', 0, ']', 0}), Expect::Reject},
      {"i_structure_500_nested_arrays", std::string(500, '[') + std::string(500, ']'),
       Expect::Accept},
      {"i_structure_UTF-8_BOM_empty_object", "\xEF\xBB\xBF{}", Expect::Reject},
  };
  return all;
}

TEST(JXConformanceTest, MustAcceptAndMustRefuse) {
  for (const Case& c : cases()) {
    SCOPED_TRACE(c.name);
    JXParsed r = jxParse(c.json);
    if (c.expect == Expect::Accept) {
      EXPECT_FALSE(r.value.isNil()) << r.message();
      EXPECT_FALSE(r.error);
    } else {
      EXPECT_TRUE(r.value.isNil());
      ASSERT_TRUE(r.error);
      EXPECT_FALSE(r.message().empty());
    }
  }
}

// The stricter refusals come from the reader's own rules, not from a fault elsewhere in the
// text: each has the message of the rule it breaks.
TEST(JXConformanceTest, StricterRefusalsCarryTheirRulesMessage) {
  for (const Case& c : cases()) {
    const std::string why = c.stricter;
    if (why.empty()) continue;
    SCOPED_TRACE(c.name);
    JXParsed r = jxParse(c.json);
    if (why == kTopLevel)
      EXPECT_EQ(r.message(), "Expected either '[' or '{'.");
    else if (why == kTopLevelNumber)
      EXPECT_EQ(r.message(), "Invalid number.");
    else if (why == kNul)
      EXPECT_EQ(r.message(), "Illegal \\u Unicode escape sequence.");
    else if (c.json.find("\\u") != std::string::npos)
      EXPECT_EQ(r.message(), "Illegal \\u Unicode escape sequence.");
    else
      EXPECT_EQ(r.message(), "Illegal UTF8 sequence found in \"\" string.");
  }
}

// The accepted cases decode to what they spell.
TEST(JXConformanceTest, AcceptedValues) {
  EXPECT_EQ(jxParse(R"(["\uD801\udc37"])").value[0].string(), "\xF0\x90\x90\xB7");
  EXPECT_EQ(jxParse(R"(["\\u0000"])").value[0].string(), "\\u0000");
  EXPECT_EQ(jxParse(R"(["\u0060\u012a\u12AB"])").value[0].string(), "`\xC4\xAA\xE1\x8A\xAB");
  EXPECT_EQ(jxParse(R"(["a/*b*/c/*d//e"])").value[0].string(), "a/*b*/c/*d//e");
  EXPECT_EQ(jxParse("[1E22]").value[0].doubleValue(), 1e22);
  EXPECT_EQ(jxParse(R"({"a":"b","a":"c"})").value["a"].string(), "c");
  EXPECT_EQ(jxParse(R"({ "min": -1.0e+28, "max": 1.0e+28 })").value["min"].doubleValue(), -1e28);
}

}  // namespace
