// Protected strings: format, errors, key forming, the AES block cipher itself and the passphrase.
#include "crypto/aes_ecb.h"
#include "crypto/stream_passphrase.h"
#include "crypto/string_cipher.h"

#include <QTest>

using namespace zentavo;

Q_DECLARE_METATYPE(zentavo::KeySize)

namespace {

QByteArray Bytes(std::string_view text)
{
    return QByteArray(text.data(), static_cast<qsizetype>(text.size()));
}

std::string Str(const QByteArray& bytes)
{
    return bytes.toStdString();
}

std::string FromHex(const char* hex)
{
    return QByteArray::fromHex(hex).toStdString();
}

enum class Failure { ConversionError, StreamReadError, EAESError };

} // namespace

Q_DECLARE_METATYPE(Failure)

class CryptoTest : public QObject {
    Q_OBJECT

private slots:
    // FIPS-197 Appendix C through the same AES object that protected strings use.
    void aesReproducesFips197Examples_data()
    {
        QTest::addColumn<KeySize>("size");
        QTest::addColumn<QByteArray>("key");
        QTest::addColumn<QByteArray>("cipher");
        QTest::newRow("C.1 AES-128") << KeySize::Key128 << QByteArray::fromHex("000102030405060708090a0b0c0d0e0f")
                                     << QByteArray::fromHex("69c4e0d86a7b0430d8cdb78070b4c55a");
        QTest::newRow("C.2 AES-192") << KeySize::Key192
                                     << QByteArray::fromHex("000102030405060708090a0b0c0d0e0f1011121314151617")
                                     << QByteArray::fromHex("dda97ca4864cdfe06eaf70a0ec0d7191");
        QTest::newRow("C.3 AES-256") << KeySize::Key256
                                     << QByteArray::fromHex(
                                            "000102030405060708090a0b0c0d0e0f101112131415161718191a1b1c1d1e1f")
                                     << QByteArray::fromHex("8ea2b7ca516745bfeafc49904b496089");
    }
    void aesReproducesFips197Examples()
    {
        QFETCH(KeySize, size);
        QFETCH(QByteArray, key);
        QFETCH(QByteArray, cipher);
        const std::string plain = FromHex("00112233445566778899aabbccddeeff");

        const AesEcb encipher(Str(key), size, AesEcb::Direction::Encipher);
        QCOMPARE(Bytes(encipher.Process(plain)), cipher);
        const AesEcb decipher(Str(key), size, AesEcb::Direction::Decipher);
        QCOMPARE(Bytes(decipher.Process(Str(cipher))), Bytes(plain));

        // The whole protected-string path: the key bytes given as key text, a 16-byte plain text.
        const std::string protectedText = EncipherString(plain, Str(key), size);
        QCOMPARE(Bytes(protectedText), "1000000000000000" + cipher.toHex().toUpper());
        QCOMPARE(Bytes(DecipherString(protectedText, Str(key), size)), Bytes(plain));
    }

    void ecbEnciphersEveryBlockAlike()
    {
        const AesEcb encipher(std::string(32, 'k'), KeySize::Key256, AesEcb::Direction::Encipher);
        const std::string twoBlocks = encipher.Process(std::string(32, 'x'));
        QCOMPARE(Bytes(twoBlocks.substr(0, 16)), Bytes(twoBlocks.substr(16)));
        QVERIFY_THROWS_EXCEPTION(CryptoError, encipher.Process(std::string(15, 'x')));
    }

    void protectedStringLengthFollowsPlainLength_data()
    {
        QTest::addColumn<int>("plainLength");
        QTest::addColumn<int>("digits");
        QTest::addColumn<QByteArray>("lengthField");
        QTest::newRow("empty") << 0 << 16 << QByteArray("0000000000000000");
        QTest::newRow("1") << 1 << 48 << QByteArray("0100000000000000");
        QTest::newRow("5") << 5 << 48 << QByteArray("0500000000000000");
        QTest::newRow("16") << 16 << 48 << QByteArray("1000000000000000");
        QTest::newRow("17") << 17 << 80 << QByteArray("1100000000000000");
        QTest::newRow("32") << 32 << 80 << QByteArray("2000000000000000");
        QTest::newRow("33") << 33 << 112 << QByteArray("2100000000000000");
        QTest::newRow("300") << 300 << 16 + 32 * 19 << QByteArray("2C01000000000000");
    }
    void protectedStringLengthFollowsPlainLength()
    {
        QFETCH(int, plainLength);
        QFETCH(int, digits);
        QFETCH(QByteArray, lengthField);
        for (const KeySize size : {KeySize::Key128, KeySize::Key192, KeySize::Key256}) {
            const QByteArray text =
                Bytes(EncipherString(std::string(static_cast<std::size_t>(plainLength), 'a'), "key", size));
            QCOMPARE(text.size(), digits);
            QCOMPARE(text.left(16), lengthField);
            QCOMPARE(text, text.toUpper()); // capital digits only
        }
    }

    void decipherKeepsTheZeroFillOfTheLastBlock()
    {
        const std::string protectedText = EncipherString("abcde", "k", KeySize::Key256);
        const std::string plain = DecipherString(protectedText, "k", KeySize::Key256);
        QCOMPARE(Bytes(plain), QByteArray("abcde") + QByteArray(11, '\0'));
        QCOMPARE(Bytes(TrimControlBytes(plain)), QByteArray("abcde"));
    }

    void roundTripGivesThePlainTextAfterTrimming_data()
    {
        QTest::addColumn<QByteArray>("plain");
        QTest::addColumn<QByteArray>("trimmed");
        QTest::newRow("address") << QByteArray("http://stream.example.net/live.asx")
                                 << QByteArray("http://stream.example.net/live.asx");
        QTest::newRow("exactly one block") << QByteArray("rtsp://a.b/c.rm!") << QByteArray("rtsp://a.b/c.rm!");
        QTest::newRow("utf-8 bytes") << QByteArray("http://x/\xc3\xa9t\xc3\xa9")
                                     << QByteArray("http://x/\xc3\xa9t\xc3\xa9");
        QTest::newRow("blank and tab at the ends") << QByteArray(" \thttp://x/a \r\n") << QByteArray("http://x/a");
        QTest::newRow("control byte inside kept") << QByteArray("a\x01"
                                                                "b")
                                                  << QByteArray("a\x01"
                                                                "b");
        QTest::newRow("high bytes at the ends kept") << QByteArray("\xff"
                                                                   "a\x80")
                                                     << QByteArray("\xff"
                                                                   "a\x80");
    }
    void roundTripGivesThePlainTextAfterTrimming()
    {
        QFETCH(QByteArray, plain);
        QFETCH(QByteArray, trimmed);
        for (const KeySize size : {KeySize::Key128, KeySize::Key192, KeySize::Key256}) {
            const std::string text = EncipherString(Str(plain), "passphrase", size);
            QCOMPARE(Bytes(TrimControlBytes(DecipherString(text, "passphrase", size))), trimmed);
        }
    }

    void hexDigitsAreReadInEitherCase()
    {
        const std::string upper = EncipherString("http://example.com/", "key", KeySize::Key128);
        const std::string lower = QByteArray::fromStdString(upper).toLower().toStdString();
        QCOMPARE(Bytes(DecipherString(lower, "key", KeySize::Key128)),
                 Bytes(DecipherString(upper, "key", KeySize::Key128)));
    }

    void anOddLastDigitGivesOneByte()
    {
        // 47 digits: 8 + 16 bytes, the last byte from the single last digit; no error.
        const std::string text = EncipherString("0123456789", "k", KeySize::Key128);
        const std::string cut = text.substr(0, 46) + "0";
        QCOMPARE(DecipherString(cut, "k", KeySize::Key128).size(), std::size_t{16});
        // The odd digit is the low nibble of the last cipher byte: a different digit gives a different block.
        QVERIFY(DecipherString(cut, "k", KeySize::Key128)
                != DecipherString(text.substr(0, 46) + "1", "k", KeySize::Key128));
    }

    void malformedTextsFailWithTheirMessages_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<Failure>("failure");
        QTest::addColumn<QByteArray>("message");
        const QByteArray valid = Bytes(EncipherString("abc", "k", KeySize::Key256));
        QTest::newRow("G7 pair") << QByteArray("G7") + valid.mid(2) << Failure::ConversionError
                                 << QByteArray("'0xG7' is not a valid integer value");
        QTest::newRow("blank then digit") << QByteArray(" 5") + valid.mid(2) << Failure::ConversionError
                                          << QByteArray("'0x 5' is not a valid integer value");
        QTest::newRow("bad pair in the cipher text")
            << valid.left(20) + "zz" + valid.mid(22) << Failure::ConversionError
            << QByteArray("'0xzz' is not a valid integer value");
        QTest::newRow("bad odd last character")
            << valid.left(46) + "X" << Failure::ConversionError << QByteArray("'0xX' is not a valid integer value");
        QTest::newRow("sign is not a digit") << QByteArray("-1") + valid.mid(2) << Failure::ConversionError
                                             << QByteArray("'0x-1' is not a valid integer value");
        QTest::newRow("first bad pair is named")
            << QByteArray("00Q0R0") << Failure::ConversionError << QByteArray("'0xQ0' is not a valid integer value");
        QTest::newRow("empty") << QByteArray() << Failure::StreamReadError << QByteArray("Stream read error");
        QTest::newRow("14 characters") << QByteArray(14, '0') << Failure::StreamReadError
                                       << QByteArray("Stream read error");
        QTest::newRow("15 characters") << QByteArray(15, '0') << Failure::EAESError
                                       << QByteArray("Invalid buffer size for decryption");
        QTest::newRow("16 characters") << QByteArray(16, '0') << Failure::EAESError
                                       << QByteArray("Invalid buffer size for decryption");
        QTest::newRow("15 cipher bytes") << QByteArray(16 + 30, '0') << Failure::EAESError
                                         << QByteArray("Invalid buffer size for decryption");
        QTest::newRow("17 cipher bytes") << QByteArray(16 + 34, '0') << Failure::EAESError
                                         << QByteArray("Invalid buffer size for decryption");
    }
    void malformedTextsFailWithTheirMessages()
    {
        QFETCH(QByteArray, text);
        QFETCH(Failure, failure);
        QFETCH(QByteArray, message);
        try {
            DecipherString(Str(text), "k", KeySize::Key256);
            QFAIL("no error raised");
        } catch (const ConversionError& error) {
            QCOMPARE(failure, Failure::ConversionError);
            QCOMPARE(QByteArray(error.what()), message);
        } catch (const StreamReadError& error) {
            QCOMPARE(failure, Failure::StreamReadError);
            QCOMPARE(QByteArray(error.what()), message);
        } catch (const EAESError& error) {
            QCOMPARE(failure, Failure::EAESError);
            QCOMPARE(QByteArray(error.what()), message);
        }
    }

    void emptyPlainTextGivesSixteenZeroDigitsThatCannotBeDeciphered()
    {
        for (const KeySize size : {KeySize::Key128, KeySize::Key192, KeySize::Key256}) {
            const std::string text = EncipherString("", "any key", size);
            QCOMPARE(Bytes(text), QByteArray(16, '0'));
            QVERIFY_THROWS_EXCEPTION(EAESError, DecipherString(text, "any key", size));
        }
    }

    void keyBytesAreTheKeyTextCutOrFilledWithZeros_data()
    {
        QTest::addColumn<KeySize>("size");
        QTest::addColumn<QByteArray>("key");
        QTest::addColumn<QByteArray>("sameKey");
        QTest::newRow("128: agree in the first 16 bytes")
            << KeySize::Key128 << QByteArray("0123456789abcdefXYZ") << QByteArray("0123456789abcdef");
        QTest::newRow("256: agree in the first 32 bytes")
            << KeySize::Key256 << QByteArray(32, 'q') + "tail" << QByteArray(32, 'q') + "other";
        QTest::newRow("192: short key is zero-filled")
            << KeySize::Key192 << QByteArray("abc") << QByteArray("abc") + QByteArray(21, '\0');
        QTest::newRow("128: empty key is all zeros") << KeySize::Key128 << QByteArray() << QByteArray(16, '\0');
        QTest::newRow("256: empty key is all zeros") << KeySize::Key256 << QByteArray() << QByteArray(32, '\0');
    }
    void keyBytesAreTheKeyTextCutOrFilledWithZeros()
    {
        QFETCH(KeySize, size);
        QFETCH(QByteArray, key);
        QFETCH(QByteArray, sameKey);
        const std::string plain = "http://example.org/stream.asx";
        QCOMPARE(Bytes(EncipherString(plain, Str(key), size)), Bytes(EncipherString(plain, Str(sameKey), size)));
        QCOMPARE(Bytes(FormKeyBytes(Str(key), size)),
                 Bytes(FormKeyBytes(Str(sameKey), size))
                     .left(sameKey.size())
                     .leftJustified(static_cast<qsizetype>(KeyByteCount(size)), '\0', true));
    }

    void keySizesGiveDifferentCipherTexts()
    {
        const std::string key(32, 'k');
        const std::string a = EncipherString("same text", key, KeySize::Key128);
        const std::string b = EncipherString("same text", key, KeySize::Key192);
        const std::string c = EncipherString("same text", key, KeySize::Key256);
        QVERIFY(a != b && b != c && a != c);
    }

    void aWrongKeyDeciphersToUnrelatedBytesWithoutError()
    {
        const std::string text = EncipherString("http://example.com/live", "right", KeySize::Key256);
        const std::string plain = DecipherString(text, "wrong", KeySize::Key256);
        QCOMPARE(plain.size(), std::size_t{32});
        QVERIFY(plain.find("http") == std::string::npos);
    }

    void trimRemovesBytesUpToBlankFromBothEnds_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QByteArray>("trimmed");
        QTest::newRow("nothing to trim") << QByteArray("abc") << QByteArray("abc");
        QTest::newRow("zeros after") << QByteArray("abc") + QByteArray(13, '\0') << QByteArray("abc");
        QTest::newRow("blanks and controls") << QByteArray(" \x01\x1f"
                                                           "a b\t\n ")
                                             << QByteArray("a b");
        QTest::newRow("all trimmed") << QByteArray(" \0\t", 3) << QByteArray();
        QTest::newRow("empty") << QByteArray() << QByteArray();
        QTest::newRow("byte 127 stays") << QByteArray("\x7f"
                                                      "a\x7f")
                                        << QByteArray("\x7f"
                                                      "a\x7f");
    }
    void trimRemovesBytesUpToBlankFromBothEnds()
    {
        QFETCH(QByteArray, text);
        QFETCH(QByteArray, trimmed);
        QCOMPARE(Bytes(TrimControlBytes(Str(text))), trimmed);
    }

    void md5MatchesRfc1321_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QByteArray>("digest");
        QTest::newRow("empty") << QByteArray() << QByteArray("d41d8cd98f00b204e9800998ecf8427e");
        QTest::newRow("a") << QByteArray("a") << QByteArray("0cc175b9c0f1b6a831c399e269772661");
        QTest::newRow("abc") << QByteArray("abc") << QByteArray("900150983cd24fb0d6963f7d28e17f72");
        QTest::newRow("message digest") << QByteArray("message digest")
                                        << QByteArray("f96b697d7cb7938d525a2f31aaf161d0");
        QTest::newRow("digits") << QByteArray(
            "12345678901234567890123456789012345678901234567890123456789012345678901234567890")
                                << QByteArray("57edf4a22be3c955ac49da2e2107b67a");
    }
    void md5MatchesRfc1321()
    {
        QFETCH(QByteArray, text);
        QFETCH(QByteArray, digest);
        QCOMPARE(Bytes(Md5Hex(Str(text))), digest);
    }

    // Shipped catalogues are prepared under this passphrase: it must never change.
    void streamPassphraseIsTheDigestOfTheFixedSeed()
    {
        const std::string passphrase = BuildStreamPassphrase();
        QCOMPARE(Bytes(passphrase), QByteArray("92ffd60b21756711e09f43823e546701"));
        QCOMPARE(passphrase, Md5Hex("Zentavo Player stream catalogue seed, v1.0 !"));
        QCOMPARE(BuildStreamPassphrase(), passphrase);
    }
};

QTEST_APPLESS_MAIN(CryptoTest)
#include "test_crypto.moc"
