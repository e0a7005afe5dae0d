// The cipher texts below were made with the openssl command line, not with this code: the key is
// MD5 over 64 bytes of 0x36 whose first 16 were XORed with MD5("ZQXV_ENCODED_KEY_1987")
// (= 4F63C17E10D0C01841C6A606CE816191), then `openssl enc -aes-128-ecb -K <key> -nosalt`
// (with -nopad for the bad-padding blocks).
#include "agent/core/Credentials.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const std::string kDemoUser = "6DFE6110381B48BBFEC3CB58FA66125B";   // "apposync"
const std::string kDemoPass = "080CA37E9CC8EC9819C49CDBFC9EAD31";   // "apposync-demo"
const std::string kUser16Zero = "AA9FB09EE8FD8EEB8E610093BF19EB35"; // "user16", 00 at byte 9
const std::string kUser14 = "AB4B2846CDAE6C9A8E71D02FD00DF706";     // "user14", last byte 06
const std::string kBlockOfA = "14512B07C8D8B18FA229A65A60657C15";   // 16 x 'A', no padding

} // namespace

TEST(Credentials, DeciphersStoredValues) {
    EXPECT_EQ(DecipherCredential(kDemoUser), "apposync");
    EXPECT_EQ(DecipherCredential(kDemoPass), "apposync-demo");
    // Either case of hex letters.
    EXPECT_EQ(DecipherCredential("6dfe6110381b48bbfec3cb58fa66125b"), "apposync");
    // 16 plain bytes need a whole block of padding.
    EXPECT_EQ(
        DecipherCredential("A429F744D3C5D0F510145DB16D17A957CE212E56020B7084EE4CAE8553080E6C"),
        "0123456789ABCDEF");
    // CP932 bytes with 0x5C trail bytes (ソ表) come back untouched.
    EXPECT_EQ(DecipherCredential("7F75FC1C6734FFCF2BDABF0473D0B742"), "\x83\x5C\x95\x5C");
    // A zero byte inside the cipher text is an ordinary byte.
    EXPECT_EQ(DecipherCredential(kUser16Zero), "user16");
    // A zero byte inside the plain text ends it: "abc\0def".
    EXPECT_EQ(DecipherCredential("64950919852045C84520F35574C801C1"), "abc");
    // Odd digit count: the last digit is a byte of its own (06 written as "6").
    EXPECT_EQ(DecipherCredential(kUser14.substr(0, 30) + "6"), "user14");
}

TEST(Credentials, UnreadableValuesGiveEmptyText) {
    EXPECT_EQ(DecipherCredential(""), "");
    // Not whole 16-byte blocks.
    EXPECT_EQ(DecipherCredential(kDemoUser.substr(0, 30)), "");
    EXPECT_EQ(DecipherCredential(kDemoUser + "00"), "");
    EXPECT_EQ(DecipherCredential(kDemoUser + "0"), "");
    EXPECT_EQ(DecipherCredential("A"), "");
    // Bad padding: last byte 00, last byte 11, last byte 03 after 01 02.
    EXPECT_EQ(DecipherCredential("FB5DDE70F87003BDF8324DE6F5495740"), "");
    EXPECT_EQ(DecipherCredential("49102C1BA1CDAB809878A2D0C5A41085"), "");
    EXPECT_EQ(DecipherCredential("BA46A9972A2910F3F9717B3FEB0C657B"), "");
    // "apposync" enciphered under another pass phrase.
    EXPECT_EQ(DecipherCredential("883A5798D319A0A558DC69B01FE6A51B"), "");
    // Characters that are not hex digits, anywhere.
    EXPECT_EQ(DecipherCredential("6DFE6110381B48BBFEC3CB58FA66125G"), "");
    EXPECT_EQ(DecipherCredential("6DFE6110381B48BB FEC3CB58FA66125"), "");
    EXPECT_EQ(DecipherCredential("0x6DFE6110381B48BBFEC3CB58FA6612"), "");
    EXPECT_EQ(DecipherCredential(std::string("6DFE6110381B48BB\0EC3CB58FA66125B", 32)), "");
}

TEST(Credentials, TakesAtMost2047Digits) {
    // 1008 x 'A' + "user14" enciphers to 63 blocks of kBlockOfA and the block of kUser14.
    std::string blocks;
    for (int i = 0; i < 63; ++i)
        blocks += kBlockOfA;
    const std::string plain = std::string(1008, 'A') + "user14";

    // 2047 digits: the last byte's leading zero dropped.
    std::string odd = blocks + kUser14.substr(0, 30) + "6";
    ASSERT_EQ(odd.size(), 2047u);
    EXPECT_EQ(DecipherCredential(odd), plain);
    // Whatever follows digit 2047 is never looked at.
    EXPECT_EQ(DecipherCredential(odd + "ZZ"), plain);
    // All 2048 digits: the cut leaves "0" as the last byte, which is bad padding.
    EXPECT_EQ(DecipherCredential(blocks + kUser14), "");
}

TEST(Credentials, EnciphersForTheDecipherer) {
    EXPECT_EQ(EncipherCredential("apposync"), kDemoUser);
    EXPECT_EQ(EncipherCredential("apposync-demo"), kDemoPass);
    EXPECT_EQ(EncipherCredential(""), "CE212E56020B7084EE4CAE8553080E6C");
    EXPECT_EQ(EncipherCredential("0123456789ABCDE"), "842A08329DC29D66449D0480F5D4ED7D");
    EXPECT_EQ(EncipherCredential("0123456789ABCDEF"),
              "A429F744D3C5D0F510145DB16D17A957CE212E56020B7084EE4CAE8553080E6C");
    for (const std::string& text :
         {std::string("p"), std::string(31, 'x'), std::string(32, 'y'),
          std::string("\x83\x5C\x95\x5C\x94\x5C"), std::string(1000, 'z')}) {
        std::string hex = EncipherCredential(text);
        EXPECT_EQ(hex.size(), (text.size() / 16 + 1) * 32);
        EXPECT_EQ(DecipherCredential(hex), text);
    }
}
