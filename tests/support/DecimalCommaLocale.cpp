#include "DecimalCommaLocale.h"

#include <QFile>
#include <QProcess>

#include <clocale>
#include <cstdlib>

namespace {

const char LocaleName[] = "xx_XX.UTF-8";

} // namespace

DecimalCommaLocale::DecimalCommaLocale()
    : m_previous(std::setlocale(LC_NUMERIC, nullptr))
{
    QFile source(m_folder.filePath(QStringLiteral("comma.src")));
    if (!source.open(QIODevice::WriteOnly))
        return;
    source.write("LC_NUMERIC\ndecimal_point \",\"\nthousands_sep \".\"\ngrouping 3;3\nEND LC_NUMERIC\n");
    source.close();
    // -c: the other categories are missing on purpose; localedef warns and still writes them.
    QProcess::execute(QStringLiteral("localedef"),
                      {QStringLiteral("-c"), QStringLiteral("-i"), source.fileName(), QStringLiteral("-f"),
                       QStringLiteral("UTF-8"), m_folder.filePath(QString::fromLatin1(LocaleName))});
    ::setenv("LOCPATH", QFile::encodeName(m_folder.path()).constData(), 1);
    m_active = std::setlocale(LC_NUMERIC, LocaleName) != nullptr;
}

DecimalCommaLocale::~DecimalCommaLocale()
{
    std::setlocale(LC_NUMERIC, m_previous.constData());
    ::unsetenv("LOCPATH");
}
