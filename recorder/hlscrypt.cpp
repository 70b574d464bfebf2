#include "recorder/hlscrypt.h"

#include <memory>
#include <openssl/evp.h>

bool HlsDecryptAes128(const QByteArray& data, const QByteArray& key, const QByteArray& iv, QByteArray& out)
{
    out.clear();
    if (key.size() != 16 || iv.size() != 16 || data.isEmpty() || data.size() % 16 != 0)
        return false;
    const std::unique_ptr<EVP_CIPHER_CTX, decltype(&EVP_CIPHER_CTX_free)> ctx(EVP_CIPHER_CTX_new(),
                                                                              &EVP_CIPHER_CTX_free);
    if (!ctx || EVP_DecryptInit_ex(ctx.get(), EVP_aes_128_cbc(), nullptr,
                                   reinterpret_cast<const unsigned char*>(key.constData()),
                                   reinterpret_cast<const unsigned char*>(iv.constData())) != 1)
        return false;
    out.resize(data.size() + 16);
    int written = 0, last = 0;
    if (EVP_DecryptUpdate(ctx.get(), reinterpret_cast<unsigned char*>(out.data()), &written,
                          reinterpret_cast<const unsigned char*>(data.constData()), int(data.size())) != 1 ||
        EVP_DecryptFinal_ex(ctx.get(), reinterpret_cast<unsigned char*>(out.data()) + written, &last) != 1) {
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
