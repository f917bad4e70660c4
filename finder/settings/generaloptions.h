#pragma once

class QWidget;

namespace orv {

class COptionsPage;

// The pages whose controls each stand for one value: Creation and Adding, Encryption, Pack, Unpack, System,
// Drag Image, Show Tooltips and History.
COptionsPage *makeCreationPage(QWidget *parent);
COptionsPage *makeEncryptionPage(QWidget *parent);
COptionsPage *makePackPage(QWidget *parent);
COptionsPage *makeUnpackPage(QWidget *parent);
COptionsPage *makeSystemPage(QWidget *parent);
COptionsPage *makeDragImagePage(QWidget *parent);
COptionsPage *makeTooltipsPage(QWidget *parent);
COptionsPage *makeHistoryPage(QWidget *parent);

}  // namespace orv
