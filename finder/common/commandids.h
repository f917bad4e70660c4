#pragma once

namespace orv::Cmd {

// Command numbers are kept because other parts of the program (history items, bookmarks, status prompts)
// compute or look them up by number.
constexpr int StyleFirst = 205;
constexpr int StyleDefault = 205;
constexpr int StyleOfficeXP = 206;
constexpr int StyleWindowsThemed = 207;
constexpr int StyleOffice2003 = 208;
constexpr int StyleVS2005 = 209;
constexpr int StyleVS2008 = 210;
constexpr int StyleBlue = 215;
constexpr int StyleBlack = 216;
constexpr int StyleSilver = 217;
constexpr int StyleAqua = 218;
constexpr int StyleWindows = 219;
constexpr int StyleLast = 219;

constexpr int Customize = 126;

constexpr int HistoryBack = 32784;
constexpr int HistoryForward = 32785;
constexpr int ClearHistory = 32786;
constexpr int DynamicItemFirst = 2024;  // history drop-down items (index + 2024) and bookmarks
constexpr int DynamicItemLast = 32767;

constexpr int BookmarksManager = 32799;
constexpr int Options = 32791;
constexpr int SplitFile = 32834;
constexpr int MergeFiles = 32835;
constexpr int KeepListings = 32840;

constexpr int SortByName = 32812;
constexpr int SortByFolder = 32813;
constexpr int SortBySize = 32814;
constexpr int SortByDate = 32815;
constexpr int SortAscending = 32816;
constexpr int SortDescending = 32817;

constexpr int ShowColumnFolder = 32819;
constexpr int ShowColumnSize = 32820;
constexpr int ShowColumnDate = 32821;
constexpr int ShowGrid = 32822;
constexpr int SelectFullRow = 32823;
constexpr int ShowSelectedAlways = 32824;

constexpr int ExportToExcel = 32831;
constexpr int ExportToWord = 32832;

constexpr int EditCut = 57635;
constexpr int EditCopy = 57634;
constexpr int EditPaste = 57637;
constexpr int Exit = 57665;
constexpr int HelpTopics = 57670;
constexpr int About = 57664;

}  // namespace orv::Cmd
