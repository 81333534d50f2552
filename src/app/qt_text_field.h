#ifndef MDBTOMYSQL_APP_QT_TEXT_FIELD_H_
#define MDBTOMYSQL_APP_QT_TEXT_FIELD_H_

#include <QLineEdit>
#include <QPointer>
#include <string>

#include "input/text_field.h"

namespace app {

// A Qt line edit seen as the input helpers' text field. The name is the control's name in the
// window. Every method throws std::runtime_error once the line edit is gone. A command's thread
// may call them: the line edit is read and written on the UI thread.
class QtTextField : public input::TextField {
 public:
  QtTextField(std::string name, QLineEdit& edit) : name_(std::move(name)), edit_(&edit) {}

  std::string Name() const override { return name_; }
  std::string Text() const override;
  void SetText(const std::string& text) override;
  int SelStart() const override;
  void SetSelStart(int start) override;
  void SetSelLength(int length) override;
  void SetBackColor(input::Color color) override;
  // Qt cuts a longer text to the limit; the helpers only set limits on fields they fill in
  // themselves.
  void SetMaxLength(int length) override;
  // Deferred to the event loop: asked from a focus-lost handler, the focus would otherwise be
  // taken back before Qt has finished moving it away.
  void SetFocus() override;

 private:
  QLineEdit& Edit() const;

  std::string name_;
  QPointer<QLineEdit> edit_;
};

}  // namespace app

#endif  // MDBTOMYSQL_APP_QT_TEXT_FIELD_H_
