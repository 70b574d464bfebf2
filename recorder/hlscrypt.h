#pragma once

#include <QByteArray>

// Decrypts an AES-128-CBC segment with PKCS#7 padding. False when the key
// or IV is not 16 bytes or the data or its padding is broken.
bool HlsDecryptAes128(const QByteArray& data, const QByteArray& key, const QByteArray& iv, QByteArray& out);

// The IV of a segment whose key names none: its media sequence number,
// big endian, in 16 bytes.
QByteArray HlsSequenceIv(qint64 sequence);
