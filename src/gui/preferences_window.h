#pragma once

#include <QDialog>
#include <string>
#include <vector>

#include "app/preference_fields.h"

class QTabWidget;

namespace xyla {
class Manager;
}

namespace xyla::gui {

// The preferences window: one tab per preferences page, one control per user-defaults
// key (named after the key; a font after its key prefix), each change stored at once.
// Text that does not read as the key's kind beeps and shows the stored value again. Its
// buttons set the default style from the current buffer, revert the palette and check
// for updates now. The window's place is kept under "PrefPosX" and "PrefPosY".
class PreferencesWindow : public QDialog {
  Q_OBJECT
 public:
  explicit PreferencesWindow(Manager& m, QWidget* parent = nullptr);

  // Reads every control back from the store.
  void refresh();
  // The control of the key `key` (a font's key prefix), or null.
  QWidget* control(const std::string& key) const;
  // Shows the tab titled `page`; false when there is none.
  bool showPage(const QString& page);

 protected:
  void hideEvent(QHideEvent* e) override;

 private:
  struct Binding {
    const preferences::Field* field;
    QWidget* widget;
  };

  QWidget* buildPage(const preferences::Page& page);
  QWidget* makeControl(const preferences::Field& f);
  QWidget* makeButtons(const preferences::Group& g);
  void runButton(std::string_view title);
  void storeValue(const preferences::Field& f, const props::Value& v);
  void storeText(const preferences::Field& f, const QString& text);
  void choose(const preferences::Field& f);
  void showValue(const Binding& b);

  Manager& m_;
  QTabWidget* tabs_;
  std::vector<Binding> bindings_;
  bool refreshing_ = false;
};

}  // namespace xyla::gui
