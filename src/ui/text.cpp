#include "ui/text.h"

#include <QFile>
#include <memory>

#include "platform/code_page.h"

namespace ui {

namespace {
std::unique_ptr<platform::CodePage>& current() {
    static std::unique_ptr<platform::CodePage> cp = std::make_unique<platform::CodePage>(1251);
    return cp;
}
}  // namespace

void SetProgramCodePage(int number) {
    if (current()->number() != number) current() = std::make_unique<platform::CodePage>(number);
}

const platform::CodePage& ProgramCodePage() { return *current(); }

QString FromProgramText(std::string_view text) {
    std::string utf8 = ProgramCodePage().toUtf8(text);
    return QString::fromUtf8(utf8.data(), qsizetype(utf8.size()));
}

std::string ToProgramText(const QString& text) {
    QByteArray utf8 = text.toUtf8();
    return ProgramCodePage().fromUtf8(std::string_view(utf8.constData(), size_t(utf8.size())));
}

QString FromFilePath(const std::string& path) { return QFile::decodeName(path.c_str()); }
std::string ToFilePath(const QString& path) { return QFile::encodeName(path).toStdString(); }

}  // namespace ui
