#include "app/image_file.h"

#include <QFileInfo>
#include <QImageWriter>

namespace app {

namespace {

bool Fail(QString* error, const QString& reason) {
  if (error != nullptr) *error = reason;
  return false;
}

}  // namespace

QByteArray ImageFormatFor(const QString& path) {
  const QByteArray suffix = QFileInfo(path).suffix().toLower().toLatin1();
  if (suffix.isEmpty() || !QImageWriter::supportedImageFormats().contains(suffix)) return {};
  return suffix;
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
  if (!file_.open(QIODevice::WriteOnly)) return Fail(error, file_.errorString());
  return true;
}

bool PendingImageFile::Write(const QImage& image, QString* error) {
  if (!file_.isOpen()) return Fail(error, QStringLiteral("the file is not open"));
  QImageWriter writer(&file_, format_);
  if (!writer.write(image)) {
    if (file_.error() != QFileDevice::NoError) {
      // The file failed under the encoder (a full disk, a size limit). A commit after a failed
      // write removes the temporary file and gives the system's reason, which says more than
      // the encoder's "Unknown error".
      file_.commit();
      return Fail(error, file_.errorString());
    }
    const QString reason = writer.errorString();
    file_.cancelWriting();
    return Fail(error, reason);
  }
  return true;
}

bool PendingImageFile::Commit(QString* error) {
  // A failed write of the data itself (a full disk) surfaces here, and the target stays as it was.
  if (!file_.commit()) return Fail(error, file_.errorString());
  return true;
}

bool WriteImageFile(const QImage& image, const QString& path, const QByteArray& format,
                    QString* error) {
  PendingImageFile file(path, format);
  return file.Open(error) && file.Write(image, error) && file.Commit(error);
}

}  // namespace app
