#pragma once

#include <QString>

#include <xlsxwriter.h>

namespace orv {

// The functions of libxlsxwriter a workbook is written with. The library is loaded the first time a
// workbook is made instead of being linked: linked, it and the cryptography library it needs were loaded
// and bound at every start of the program and of every command, which took a twentieth of a search
// answered from the catalogue.
struct XlsxFunctions
{
    decltype(&::workbook_new_opt) workbookNew = nullptr;
    decltype(&::workbook_add_worksheet) addWorksheet = nullptr;
    decltype(&::workbook_add_format) addFormat = nullptr;
    decltype(&::workbook_close) close = nullptr;
    decltype(&::lxw_workbook_free) free = nullptr;
    decltype(&::lxw_strerror) errorText = nullptr;
    decltype(&::format_set_pattern) setPattern = nullptr;
    decltype(&::format_set_bg_color) setBackground = nullptr;
    decltype(&::format_set_align) setAlign = nullptr;
    decltype(&::format_set_font_size) setFontSize = nullptr;
    decltype(&::format_set_bold) setBold = nullptr;
    decltype(&::format_set_border) setBorder = nullptr;
    decltype(&::worksheet_set_column) setColumn = nullptr;
    decltype(&::worksheet_write_string) writeString = nullptr;
    decltype(&::worksheet_write_number) writeNumber = nullptr;
};

// Loaded once and kept for the rest of the process. Null, with the reason in error, when the library or
// one of the functions is missing.
const XlsxFunctions *xlsxFunctions(QString &error);

}  // namespace orv
