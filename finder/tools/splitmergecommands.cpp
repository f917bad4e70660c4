#include "splitmergecommands.h"

#include "finder/tools/filemerger.h"
#include "finder/tools/filesplitter.h"
#include "finder/tools/mergefiles.h"
#include "finder/tools/splitfile.h"
#include "finder/tools/splitprogress.h"

namespace orv {

namespace {

CToolRun::ProgressFactory progressWindow(CSplitProgress::Kind kind, QWidget *parent)
{
    return [kind, parent] {
        auto window = std::make_unique<CSplitProgress>(kind, parent);
        window->show();
        return std::unique_ptr<QObject>(std::move(window));
    };
}

}  // namespace

CSplitMergeCommands::CSplitMergeCommands(CBusyFlags &busy, QWidget *dialogParent)
    : QObject(dialogParent), m_busy(busy), m_parent(dialogParent)
{
    setObjectName(QStringLiteral("SplitMergeCommands"));
}

void CSplitMergeCommands::OnSplitFile()
{
    CSplitFile dialog(m_parent);
    if (dialog.exec() != QDialog::Accepted)
        return;
    CFileSplitter splitter;
    splitter.SetBusyFlags(&m_busy);
    splitter.SetProgressFactory(progressWindow(CSplitProgress::Kind::Split, m_parent));
    splitter.Split(dialog.request());
}

void CSplitMergeCommands::OnMergeFiles()
{
    CMergeFiles dialog(m_parent);
    if (dialog.exec() != QDialog::Accepted)
        return;
    CFileMerger merger;
    merger.SetBusyFlags(&m_busy);
    merger.SetProgressFactory(progressWindow(CSplitProgress::Kind::Merge, m_parent));
    merger.Merge(dialog.request());
}

}  // namespace orv
