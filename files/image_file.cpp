#include "files/image_file.h"

#include <QFileInfo>
#include <QImageWriter>
#include <QStringView>
#include <cerrno>
#include <cstring>

namespace files {

namespace {

bool Fail(QString* error, const QString& reason) {
  if (error != nullptr) *error = reason;
  return false;
}

// What an encoder writes through: passes everything on to the file and, once the file has
// failed, takes the rest without complaint. An encoder that sees a failing device takes its own
// error path, which prints to the console and, in Qt's PNG writer, leaks its row buffer; the
// file's own error is the one worth reporting, once the encoder is done.
class FileShield final : public QIODevice {
 public:
  explicit FileShield(QSaveFile& file) : file_(file) { open(QIODevice::WriteOnly); }

  [[nodiscard]] bool Failed() const noexcept { return failed_; }

  bool seek(qint64 pos) override {
    if (!failed_ && !file_.seek(pos)) failed_ = true;
    return QIODevice::seek(pos);
  }

 protected:
  qint64 readData(char*, qint64) override { return -1; }
  qint64 writeData(const char* data, qint64 len) override {
    if (!failed_ && file_.write(data, len) != len) failed_ = true;
    return len;
  }

 private:
  QSaveFile& file_;
  bool failed_ = false;
};

// Why a write just failed. When the write-behind buffer fails to flush, Qt keeps the error but
// loses its text ("Unknown error"); errno still holds the system's reason then, in the words
// every other failure gives.
QString WriteErrorOf(const QFileDevice& file) {
  const int reason = errno;
  if (reason != 0) return QString::fromLocal8Bit(std::strerror(reason));
  return file.errorString();
}

// The reason Open and Commit give for a refused target, or an empty text.
QString RefusalReason(TargetRefusal refusal) {
  switch (refusal) {
    case TargetRefusal::NameNotText:
      return QStringLiteral(
          "the name is not valid UTF-8, so it would be written under another name");
    case TargetRefusal::NotARegularFile:
      return QStringLiteral("it is a device, FIFO or socket, not a regular file");
    case TargetRefusal::None:
      break;
  }
  return {};
}

}  // namespace

ImageSizeLimit SizeLimitOf(const QByteArray& format) {
  if (format == "ico" || format == "cur") return {256, false};
  if (format == "icns") return {1024, true};
  return {};
}

bool Holds(const ImageSizeLimit& limit, QSize size) {
  if (limit.squareOnly && size.width() != size.height()) return false;
  return limit.largestSide == 0 ||
         (size.width() <= limit.largestSide && size.height() <= limit.largestSide);
}

QString TooLargeForFormat(const QByteArray& format, QSize size) {
  const ImageSizeLimit limit = SizeLimitOf(format);
  return QStringLiteral("the .%1 format holds %2 %3x%3 pixels, not %4x%5")
      .arg(QString::fromLatin1(format), limit.squareOnly
                                            ? QStringLiteral("only square pictures of up to")
                                            : QStringLiteral("at most"))
      .arg(limit.largestSide)
      .arg(size.width())
      .arg(size.height());
}

TargetRefusal RefusalOf(const QString& path) {
  if (!QStringView(path).isValidUtf16()) return TargetRefusal::NameNotText;
  // QFileInfo follows symbolic links, so it describes what the final rename would replace.
  const QFileInfo target(path);
  if (target.exists() && !target.isFile() && !target.isDir()) {
    return TargetRefusal::NotARegularFile;
  }
  return TargetRefusal::None;
}

QByteArray ImageFormatFor(const QString& path) {
  const QByteArray suffix = QFileInfo(path).suffix().toLower().toLatin1();
  if (suffix.isEmpty() || !QImageWriter::supportedImageFormats().contains(suffix)) return {};
  return suffix;
}

QByteArray AnimationFormatFor(const QString& path) {
  const QByteArray suffix = QFileInfo(path).suffix().toLower().toLatin1();
  return suffix == "webp" || suffix == "gif" ? suffix : QByteArray();
}

QImage ImageViewOf(const turtle::Raster& raster) {
  // Built on const data, the image copies the pixels before anything could change them.
  return QImage(reinterpret_cast<const uchar*>(raster.Bits()), raster.Width(), raster.Height(),
                static_cast<qsizetype>(raster.Width()) * 4, QImage::Format_RGB32);
}

QImage ImageOf(const turtle::Raster& raster) { return ImageViewOf(raster).copy(); }

PendingImageFile::PendingImageFile(const QString& path, const QByteArray& format)
    : file_(path), format_(format) {}

bool PendingImageFile::Open(QString* error) {
  if (const QString refused = RefusalReason(RefusalOf(file_.fileName())); !refused.isEmpty()) {
    return Fail(error, refused);
  }
  if (!file_.open(QIODevice::WriteOnly)) return Fail(error, file_.errorString());
  return true;
}

bool PendingImageFile::Write(const QImage& image, QString* error) {
  if (!file_.isOpen()) return Fail(error, QStringLiteral("the file is not open"));
  if (!Holds(SizeLimitOf(format_), image.size())) {
    file_.cancelWriting();
    return Fail(error, TooLargeForFormat(format_, image.size()));
  }
  FileShield shield(file_);
  QImageWriter writer(&shield, format_);
  const bool encoded = writer.write(image);
  if (shield.Failed()) {
    // The file failed under the encoder (a full disk, a size limit). A commit after a failed
    // write removes the temporary file and gives the system's reason.
    if (file_.error() == QFileDevice::NoError) file_.cancelWriting();
    file_.commit();
    return Fail(error, file_.errorString());
  }
  if (!encoded) {
    file_.cancelWriting();
    return Fail(error, writer.errorString());
  }
  return true;
}

bool PendingImageFile::WriteBytes(const char* data, qint64 size, QString* error) {
  if (!file_.isOpen()) return Fail(error, QStringLiteral("the file is not open"));
  // An encoder may go on writing after a write failed; the first failure says why.
  if (!writeError_.isEmpty()) return Fail(error, writeError_);
  // A large write that fills the disk part way takes only some of the bytes and says nothing;
  // writing the rest is what fails, with the system's reason.
  while (size > 0) {
    errno = 0;
    const qint64 written = file_.write(data, size);
    if (written <= 0) {
      writeError_ = WriteErrorOf(file_);
      return Fail(error, writeError_);
    }
    data += written;
    size -= written;
  }
  return true;
}

bool PendingImageFile::Commit(QString* error) {
  if (!file_.isOpen()) return Fail(error, QStringLiteral("the file is not open"));
  // The target may have been replaced by a special file since Open, during a long render.
  if (const QString refused = RefusalReason(RefusalOf(file_.fileName())); !refused.isEmpty()) {
    file_.cancelWriting();
    return Fail(error, refused);
  }
  // A failed write of the data itself (a full disk) surfaces here, and the target stays as it was.
  errno = 0;
  if (!file_.commit()) return Fail(error, WriteErrorOf(file_));
  return true;
}

bool WriteImageFile(const QImage& image, const QString& path, const QByteArray& format,
                    QString* error) {
  PendingImageFile file(path, format);
  return file.Open(error) && file.Write(image, error) && file.Commit(error);
}

}  // namespace files
