#include "app/japanese_texts.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>
#include <cerrno>
#include <cstring>

namespace app {

bool InstallQtJapanese() {
  auto* translator = new QTranslator(QCoreApplication::instance());
  if (!translator->load(QStringLiteral("qtbase_ja"),
                        QLibraryInfo::path(QLibraryInfo::TranslationsPath)) ||
      !QCoreApplication::installTranslator(translator)) {
    delete translator;
    return false;
  }
  return true;
}

QString FileErrorInJapanese(const QString& reason) {
  // Qt translates a few reasons itself (a missing file, no permission); these reach the window
  // as the system's own text, which is English unless the desktop's locale has them translated.
  static constexpr struct {
    int error;
    const char16_t* sentence;
  } kSentences[] = {
    {ENOSPC, u"ディスクに空きがありません。"},
#if defined(EDQUOT)
    {EDQUOT, u"ディスクの使用量が上限に達しています。"},
#endif
    {EROFS, u"読み取り専用のファイルシステムには保存できません。"},
    {ENAMETOOLONG, u"ファイル名が長すぎます。"},
    {ENOTDIR, u"保存先のパスの途中にフォルダーではないものがあります。"},
  };
  for (const auto& s : kSentences) {
    if (reason == QString::fromLocal8Bit(std::strerror(s.error)).trimmed()) {
      return QString::fromUtf16(s.sentence) + QStringLiteral("（%1）").arg(reason);
    }
  }
  return reason;
}

}  // namespace app
