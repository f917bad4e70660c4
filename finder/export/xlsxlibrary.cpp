#include "xlsxlibrary.h"

#include <QLibrary>

#include <memory>

namespace orv {

namespace {

struct LoadedXlsx
{
    QLibrary library{QStringLiteral(ORV_XLSXWRITER_SONAME)};
    XlsxFunctions functions;
    QString error;
    bool ok = false;
};

template <typename Function>
bool resolve(LoadedXlsx &loaded, const char *name, Function &into)
{
    into = reinterpret_cast<Function>(loaded.library.resolve(name));
    if (!into)
        loaded.error = QStringLiteral("%1 has no %2").arg(loaded.library.fileName(), QString::fromLatin1(name));
    return into != nullptr;
}

std::unique_ptr<LoadedXlsx> load()
{
    auto loaded = std::make_unique<LoadedXlsx>();
    if (!loaded->library.load()) {
        loaded->error = loaded->library.errorString();
        return loaded;
    }
    XlsxFunctions &f = loaded->functions;
    loaded->ok = resolve(*loaded, "workbook_new_opt", f.workbookNew)
                 && resolve(*loaded, "workbook_add_worksheet", f.addWorksheet)
                 && resolve(*loaded, "workbook_add_format", f.addFormat)
                 && resolve(*loaded, "workbook_close", f.close) && resolve(*loaded, "lxw_workbook_free", f.free)
                 && resolve(*loaded, "lxw_strerror", f.errorText)
                 && resolve(*loaded, "format_set_pattern", f.setPattern)
                 && resolve(*loaded, "format_set_bg_color", f.setBackground)
                 && resolve(*loaded, "format_set_align", f.setAlign)
                 && resolve(*loaded, "format_set_font_size", f.setFontSize)
                 && resolve(*loaded, "format_set_bold", f.setBold)
                 && resolve(*loaded, "format_set_border", f.setBorder)
                 && resolve(*loaded, "worksheet_set_column", f.setColumn)
                 && resolve(*loaded, "worksheet_write_string", f.writeString)
                 && resolve(*loaded, "worksheet_write_number", f.writeNumber);
    return loaded;
}

}  // namespace

const XlsxFunctions *xlsxFunctions(QString &error)
{
    static const std::unique_ptr<LoadedXlsx> loaded = load();
    if (!loaded->ok) {
        error = loaded->error;
        return nullptr;
    }
    return &loaded->functions;
}

}  // namespace orv
