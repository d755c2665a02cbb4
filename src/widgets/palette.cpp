#include "palette.h"

#include "theme.h"

#include <QApplication>
#include <QPalette>
#include <QStyleFactory>

namespace vanto {

void ApplyInstrumentPalette(QApplication& app) {
    app.setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QPalette pal;
    pal.setColor(QPalette::Window, QColor(0x1a, 0x1f, 0x25));
    pal.setColor(QPalette::WindowText, theme::text());
    pal.setColor(QPalette::Base, theme::face());
    pal.setColor(QPalette::AlternateBase, theme::panel());
    pal.setColor(QPalette::Text, theme::text());
    pal.setColor(QPalette::Button, theme::panel());
    pal.setColor(QPalette::ButtonText, theme::text());
    pal.setColor(QPalette::Highlight, theme::accent());
    pal.setColor(QPalette::HighlightedText, Qt::black);
    pal.setColor(QPalette::ToolTipBase, theme::panel());
    pal.setColor(QPalette::ToolTipText, theme::text());
    pal.setColor(QPalette::Disabled, QPalette::ButtonText, theme::disabled());
    pal.setColor(QPalette::Disabled, QPalette::WindowText, theme::disabled());
    app.setPalette(pal);
}

} // namespace vanto
