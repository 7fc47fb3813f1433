#include "app/message_box.h"

#include <QMessageBox>
#include <QPushButton>
#include <QString>

MessageBoxStyle decodeMessageBoxType(unsigned type) {
  constexpr unsigned kButtonsMask = 0x0F, kYesNo = 0x04;
  constexpr unsigned kIconMask = 0xF0, kIconStop = 0x10;
  constexpr unsigned kDefaultMask = 0xF00, kDefaultSecond = 0x100;
  return MessageBoxStyle{(type & kButtonsMask) == kYesNo, (type & kIconMask) == kIconStop,
                         (type & kDefaultMask) == kDefaultSecond};
}

int runModalMessageBox(QWidget* owner, const MessageBoxRequest& request) {
  const MessageBoxStyle style = decodeMessageBoxType(request.type);
  QMessageBox box(owner);
  box.setWindowTitle(QString::fromStdString(request.caption));
  box.setText(QString::fromStdString(request.text));
  box.setIcon(style.stopIcon ? QMessageBox::Critical : QMessageBox::NoIcon);
  box.setWindowModality(Qt::ApplicationModal);
  if (style.yesNo) {
    QPushButton* yes = box.addButton(QMessageBox::Yes);
    QPushButton* no = box.addButton(QMessageBox::No);
    box.setDefaultButton(style.secondIsDefault ? no : yes);
    box.setEscapeButton(no);
  } else {
    box.setDefaultButton(box.addButton(QMessageBox::Ok));
  }
  box.exec();
  if (!style.yesNo) return IDOK;
  return box.clickedButton() == box.button(QMessageBox::Yes) ? IDYES : IDNO;
}
