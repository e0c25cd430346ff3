#include "window/japanese_texts.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibraryInfo>
#include <QTranslator>
#include <cerrno>
#include <cstring>

#include "files/animation_file.h"
#include "files/image_file.h"

namespace window {

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
    {EFBIG, u"ファイルが大きすぎます。"},
  };
  QString sentence;
  for (const auto& s : kSentences) {
    if (reason == QString::fromLocal8Bit(std::strerror(s.error)).trimmed()) {
      sentence = QString::fromUtf16(s.sentence);
    }
  }
  if (files::IsNotEnoughMemory(reason)) sentence = QStringLiteral("メモリが足りません。");
  return sentence.isEmpty() ? reason : sentence + QStringLiteral("（%1）").arg(reason);
}

QString SaveTitle(Saved what) {
  return what == Saved::Picture ? QStringLiteral("画像を保存")
                                : QStringLiteral("アニメーションを保存");
}

QString NotSaved(Saved what, const QString& path, const QString& reason) {
  const QString thing =
      what == Saved::Picture ? QStringLiteral("画像") : QStringLiteral("アニメーション");
  return QStringLiteral("%1を %2 に保存できませんでした。\n%3")
      .arg(thing, QDir::toNativeSeparators(path), reason);
}

QString SaveRefusal(const QString& path, const QByteArray& format, QSize size) {
  if (format.isEmpty()) return QStringLiteral("この拡張子の画像形式には保存できません。");
  // In a name the dialog listed, U+FFFD stands for bytes that are not UTF-8: saving would write
  // another name.
  const files::TargetRefusal refusal = files::RefusalOf(path);
  if (refusal == files::TargetRefusal::NameNotText || path.contains(QChar::ReplacementCharacter)) {
    return QStringLiteral(
        "ファイル名に文字として読めない部分があり、別の名前で保存されてしまいます。");
  }
  if (refusal == files::TargetRefusal::NotARegularFile) {
    return QStringLiteral(
        "保存先はデバイス、FIFO、ソケットのいずれかで、通常のファイルではありません。");
  }
  if (const files::ImageSizeLimit limit = files::SizeLimitOf(format); !files::Holds(limit, size)) {
    return QStringLiteral(
               "%1 形式で保存できるのは %2 × %2 ピクセルまでの%3画像です（この画像は "
               "%4 × %5 ピクセル）。")
        .arg(QString::fromLatin1(format).toUpper())
        .arg(limit.largestSide)
        .arg(limit.squareOnly ? QStringLiteral("正方形の") : QString())
        .arg(size.width())
        .arg(size.height());
  }
  return {};
}

}  // namespace window
