// Quorvanta main program. The application object, frames and bars grow here.
#include <QApplication>
#include <QMainWindow>

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QMainWindow frame;
  frame.setWindowTitle("Quorvanta");
  frame.resize(1024, 768);
  frame.show();
  return app.exec();
}
