#include "cli/argument_text.h"

#include <QCoreApplication>

namespace cli {

namespace {

// The length of the UTF-8 sequence `bytes` start with, or 0 when they start none: a stray
// continuation byte, an overlong form, a surrogate, a code point past U+10FFFF, a cut sequence.
std::size_t Utf8SequenceLength(std::string_view bytes) {
  const auto byte = [bytes](std::size_t k) { return static_cast<unsigned char>(bytes[k]); };
  const unsigned char lead = byte(0);
  if (lead < 0x80) return 1;
  std::size_t length = 0;
  unsigned char low = 0x80;  // the range of the second byte; the later ones are 80..BF
  unsigned char high = 0xBF;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;   // no overlong forms
    if (lead == 0xED) high = 0x9F;  // no surrogates
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;   // no overlong forms
    if (lead == 0xF4) high = 0x8F;  // nothing past U+10FFFF
  } else {
    return 0;
  }
  if (bytes.size() < length) return 0;
  for (std::size_t k = 1; k < length; ++k) {
    if (byte(k) < (k == 1 ? low : 0x80) || byte(k) > (k == 1 ? high : 0xBF)) return 0;
  }
  return length;
}

}  // namespace

QString TextOfBytes(std::string_view bytes) {
  QString text;
  while (!bytes.empty()) {
    const std::size_t length = Utf8SequenceLength(bytes);
    if (length == 0) {
      text += QChar(static_cast<char16_t>(0xDC00 | static_cast<unsigned char>(bytes[0])));
      bytes.remove_prefix(1);
    } else {
      text += QString::fromUtf8(bytes.data(), static_cast<qsizetype>(length));
      bytes.remove_prefix(length);
    }
  }
  return text;
}

QStringList ArgumentsAsText(int argc, char** argv) {
#if defined(_WIN32)
  // Qt reads Windows' own UTF-16 command line there.
  (void)argc;
  (void)argv;
  return QCoreApplication::arguments();
#else
  QStringList arguments;
  for (int i = 0; i < argc && argv[i] != nullptr; ++i) arguments << TextOfBytes(argv[i]);
  return arguments;
#endif
}

QString Shown(const QString& text) {
  QString shown;
  for (qsizetype i = 0; i < text.size(); ++i) {
    const QChar c = text[i];
    const bool pairsWithPrevious = c.isLowSurrogate() && i > 0 && text[i - 1].isHighSurrogate();
    if (shown.size() >= kShownCharacters && !pairsWithPrevious)
      return shown + QStringLiteral("...");
    const char16_t u = c.unicode();
    const bool escaped =
        (u >= 0xDC80 && u <= 0xDCFF && !pairsWithPrevious) || u < 0x20 || u == 0x7F;
    if (escaped) {
      shown += QStringLiteral("\\x") +
               QString::number(u & 0xFF, 16).toUpper().rightJustified(2, QLatin1Char('0'));
    } else {
      shown += c;
    }
  }
  return shown;
}

QString Quoted(const QString& text) { return QLatin1Char('\'') + Shown(text) + QLatin1Char('\''); }

}  // namespace cli
