#include "palette.h"

#include "theme.h"

#include <QApplication>
#include <QPalette>
#include <QStyleFactory>

namespace vanto {

void applyInstrumentPalette(QApplication& app) {
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
    pal.setColor(QPalette::PlaceholderText, theme::dimText());
    // The shades styles draw bevels, frames and etched text with: left to the default palette
    // they are those of a light theme, which made disabled text look brighter than enabled.
    pal.setColor(QPalette::Light, theme::panelEdge().lighter(130));
    pal.setColor(QPalette::Midlight, theme::panelEdge());
    pal.setColor(QPalette::Mid, QColor(0x2c, 0x33, 0x3c));
    pal.setColor(QPalette::Dark, QColor(0x12, 0x16, 0x1b));
    pal.setColor(QPalette::Shadow, Qt::black);
    // Unavailable controls, menu items and entry fields: dimmed text on a flatter face, so
    // they read as unavailable next to the ones that can be used.
    for (QPalette::ColorRole role :
         {QPalette::WindowText, QPalette::Text, QPalette::ButtonText, QPalette::BrightText,
          QPalette::PlaceholderText, QPalette::HighlightedText, QPalette::ToolTipText}) {
        pal.setColor(QPalette::Disabled, role, theme::disabled());
    }
    pal.setColor(QPalette::Disabled, QPalette::Base, QColor(0x1a, 0x1f, 0x25));
    pal.setColor(QPalette::Disabled, QPalette::Button, QColor(0x1e, 0x23, 0x29));
    pal.setColor(QPalette::Disabled, QPalette::Highlight, QColor(0x2c, 0x33, 0x3c));
    pal.setColor(QPalette::Disabled, QPalette::Light,
                 pal.color(QPalette::Disabled, QPalette::Dark));
    app.setPalette(pal);
}

} // namespace vanto
