#include "recorder/hlscrypt.h"

#include <QLibrary>
#include <memory>
#include <openssl/evp.h>

namespace {

// The cipher comes from the system's libcrypto, loaded at the first
// encrypted segment: a recording of anything else maps none of it (its
// relocations alone would cost every recorder 400 KiB of its own memory).
struct Crypto {
    decltype(&EVP_CIPHER_CTX_new) ctxNew = nullptr;
    decltype(&EVP_CIPHER_CTX_free) ctxFree = nullptr;
    decltype(&EVP_aes_128_cbc) aes128Cbc = nullptr;
    decltype(&EVP_DecryptInit_ex) init = nullptr;
    decltype(&EVP_DecryptUpdate) update = nullptr;
    decltype(&EVP_DecryptFinal_ex) finish = nullptr;
    bool ok = false;
};

const Crypto& crypto()
{
    static const Crypto loaded = [] {
        Crypto c;
        QLibrary library(QStringLiteral("crypto"), 3);
        if (!library.load()) {
            qWarning("Tonquill: HLS segments cannot be decrypted: %s", qUtf8Printable(library.errorString()));
            return c;
        }
        c.ctxNew = reinterpret_cast<decltype(c.ctxNew)>(library.resolve("EVP_CIPHER_CTX_new"));
        c.ctxFree = reinterpret_cast<decltype(c.ctxFree)>(library.resolve("EVP_CIPHER_CTX_free"));
        c.aes128Cbc = reinterpret_cast<decltype(c.aes128Cbc)>(library.resolve("EVP_aes_128_cbc"));
        c.init = reinterpret_cast<decltype(c.init)>(library.resolve("EVP_DecryptInit_ex"));
        c.update = reinterpret_cast<decltype(c.update)>(library.resolve("EVP_DecryptUpdate"));
        c.finish = reinterpret_cast<decltype(c.finish)>(library.resolve("EVP_DecryptFinal_ex"));
        c.ok = c.ctxNew && c.ctxFree && c.aes128Cbc && c.init && c.update && c.finish;
        if (!c.ok)
            qWarning("Tonquill: HLS segments cannot be decrypted: %s lacks the AES functions",
                     qUtf8Printable(library.fileName()));
        // Stays loaded for the rest of the run (QLibrary unloads only when told).
        return c;
    }();
    return loaded;
}

} // namespace

bool HlsDecryptAes128(const QByteArray& data, const QByteArray& key, const QByteArray& iv, QByteArray& out)
{
    out.clear();
    if (key.size() != 16 || iv.size() != 16 || data.isEmpty() || data.size() % 16 != 0)
        return false;
    const Crypto& c = crypto();
    if (!c.ok)
        return false;
    const std::unique_ptr<EVP_CIPHER_CTX, decltype(c.ctxFree)> ctx(c.ctxNew(), c.ctxFree);
    if (!ctx || c.init(ctx.get(), c.aes128Cbc(), nullptr, reinterpret_cast<const unsigned char*>(key.constData()),
                       reinterpret_cast<const unsigned char*>(iv.constData())) != 1)
        return false;
    out.resize(data.size() + 16);
    int written = 0, last = 0;
    if (c.update(ctx.get(), reinterpret_cast<unsigned char*>(out.data()), &written,
                 reinterpret_cast<const unsigned char*>(data.constData()), int(data.size())) != 1 ||
        c.finish(ctx.get(), reinterpret_cast<unsigned char*>(out.data()) + written, &last) != 1) {
        out.clear();
        return false;
    }
    out.resize(written + last);
    return true;
}

QByteArray HlsSequenceIv(qint64 sequence)
{
    QByteArray iv(16, '\0');
    for (int i = 0; i < 8; ++i)
        iv[15 - i] = char((quint64(sequence) >> (8 * i)) & 0xff);
    return iv;
}
