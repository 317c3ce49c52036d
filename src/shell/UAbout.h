// TAboutBox (instance AboutBox): the about box. The banner, the product line, the version read
// from the program's version block, two lines naming the maker and two link labels (web address,
// e-mail address) that open through the Shell service.
#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

namespace kv {

class ShadowLabel;
class TVersionInfo;

class TAboutBox : public QDialog
{
    Q_OBJECT
public:
    static QString webAddress();
    static QString emailAddress();

    /// Throws when the version block exists but cannot be read (see TVersionInfo).
    explicit TAboutBox(QWidget *parent = nullptr);
    ~TAboutBox() override;

    /// The web address link.
    void Label1Click();
    /// The e-mail address link ("mailto:").
    void CommentsClick();

    QLabel *ProgramIcon;
    ShadowLabel *lBanner1, *lBanner2;
    QLabel *ProductName, *lVersionCaption, *Version, *Copyright, *Company, *Label1, *Comments;
    QPushButton *OKButton;
    TVersionInfo *VersionInfo1;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
};

extern TAboutBox *AboutBox;

} // namespace kv
