// UTF-8 decoding and repair against the desktop toolkit's own decoder, which repaired
// the texts of archives and Perl output before.
#include <gtest/gtest.h>

#include <QString>
#include <QStringDecoder>
#include <string>
#include <vector>

#include "model/utf8_text.h"

using namespace xyla;

TEST(Utf8Text, RepairsAndDecodesAsTheToolkitDoes) {
  const std::vector<std::string> texts = {
      "",
      "plain ascii",
      "Grüße – 光電子 😀",
      "\x80 stray continuation",
      "\xC0\x80 overlong NUL",
      "\xC1\xBF overlong",
      "\xE0\x80\xAF overlong three",
      "\xF0\x8F\xBF\xBF overlong four",
      "\xED\xA0\x80 surrogate",
      "\xF4\x90\x80\x80 past the last",
      "\xF5\x80\x80\x80 bad lead",
      "\xFF\xFE",
      "cut at the end \xE2\x82",
      "cut at the end \xF0\x9F\x98",
      "cut inside \xE2\x82x and on",
      "\xE2\x82\xAC euro then \xC3",
      std::string("nul \0 inside", 12),
  };
  for (const std::string& s : texts) {
    SCOPED_TRACE(s);
    const QString q = QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
    EXPECT_EQ(validUtf8(s), q.toStdString());
    EXPECT_EQ(utf16FromUtf8(s), q.toStdU16String());
    QStringDecoder strict(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    [[maybe_unused]] const QString decoded = strict.decode(QByteArrayView(s.data(), static_cast<qsizetype>(s.size())));
    EXPECT_EQ(isValidUtf8(s), !strict.hasError());
    EXPECT_EQ(utf8FromLatin1(s), QString::fromLatin1(s.data(), static_cast<qsizetype>(s.size())).toStdString());
    const std::u16string units = q.toStdU16String();
    for (std::size_t n = 0; n <= units.size(); ++n)
      EXPECT_EQ(utf8FromUtf16(std::u16string_view(units).substr(0, n)), q.left(static_cast<qsizetype>(n)).toStdString())
          << n;
  }
}
