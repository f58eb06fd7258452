#include "reading/quazip_archive.h"

#include <quazip.h>
#include <quazipfile.h>

using namespace Qt::StringLiterals;

namespace {

class QuaZipArchive : public ZipArchive
{
public:
    bool open(QIODevice *device) override
    {
        m_zip.setIoDevice(device);
        m_zip.setAutoClose(false);
        if (m_zip.open(QuaZip::mdUnzip))
            return true;
        m_error = u"ZIP error %1"_s.arg(m_zip.getZipError());
        return false;
    }

    QString errorText() const override { return m_error; }

    bool select(const QString &name) override
    {
        return m_zip.setCurrentFile(name, QuaZip::csSensitive) || m_zip.setCurrentFile(name, QuaZip::csInsensitive);
    }

    bool read(const std::function<bool(const char *, qint64)> &sink) override
    {
        QuaZipFile file(&m_zip);
        if (!file.open(QIODevice::ReadOnly)) {
            m_error = u"ZIP error %1"_s.arg(file.getZipError());
            return false;
        }
        char buffer[64 * 1024];
        for (;;) {
            const qint64 n = file.read(buffer, sizeof buffer);
            if (n < 0) {
                m_error = u"ZIP error %1"_s.arg(file.getZipError());
                return false;
            }
            if (n == 0 || !sink(buffer, n))
                break;
        }
        file.close();
        // A CRC that does not match tells of damage only at the end.
        if (file.getZipError() != 0) {
            m_error = u"ZIP error %1"_s.arg(file.getZipError());
            return false;
        }
        return true;
    }

private:
    QuaZip m_zip;
    QString m_error;
};

} // namespace

namespace QuaZipArchives {

ZipArchive *Create()
{
    return new QuaZipArchive;
}

} // namespace QuaZipArchives
