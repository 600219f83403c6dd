#include "app/helptopics.h"

#include "ui/helpwindow.h"

namespace {

struct TopicHints {
    const char* topic;
    const char* hints[8];
};

// The German hint texts of the controls and the anchors of their help sections.
const TopicHints table[] = {
    {"Blatt",
     {"Blatt", "in Graustufen konvertieren", "weichzeichnen", "Farben invertieren", "Helligkeit",
      "Rotanteil erhöhen", "Gelbanteil erhöhen", "Blauanteil erhöhen"}},
    {"neuesdokument", {"Neues Dokument"}},
    {"schnellspeichern", {"(Schnell) Speichern"}},
    {"objektloeschen", {"Objekt löschen"}},
    {"ausschneiden", {"Ausschneiden"}},
    {"kopieren", {"Kopieren"}},
    {"einfuegen", {"Einfügen"}},
    {"textobjektanlegen", {"einzeiliges Textobjekt anlegen"}},
    {"grafikausdatei", {"Grafik aus Datei einfügen"}},
    {"objektinspektoranaus", {"Objekt-Inspektor"}},
    {"ganznachhinten", {"Objekt ganz nach hinten"}},
    {"eineebenenachhinten", {"Objekt eine Ebene nach hinten"}},
    {"eineebenenachvorne", {"Objekt eine Ebene nach vorne"}},
    {"objektganznachvorne", {"Objekt ganz nach vorne"}},
    {"zoomfaktor", {"Zoomfaktor"}},
    {"textbausteinezuweisen", {"Textbausteine zuweisen"}},
    {"lineal", {"Lineal"}},
    {"blattwender", {"Blattwender"}},
    {"vorlagen", {"Vorlagenauswahl", "Bibliothekenauswahl"}},
    {"datei", {"Datei"}},
    {"cliparts", {"Clipartbibliothekenauswahl", "Clipartauswahl"}},
    // The paper orientation choice belongs with the other settings.
    {"einstellungen", {"Formatauswahl", "Rückgängiglimit", "Notiz", "Papierorientierung"}},
    {"arbeitmittextbausteinen", {"Textbaustein", "Adressen"}},
    {"drucken", {"Blattversatz", "Einzelflächen", "Ränder und Abstände"}},
    {"cd", {"CD"}},
    {"abstand", {"Abstand von links in mm", "Abstand von oben in mm"}},
    {"hoehebreiteinmm", {"Breite in mm", "Höhe in mm"}},
    {"proportionalitaetanaus", {"Proportionalität ein/aus"}},
    {"objekteigenschaftenuebernehmen", {"Übernehmen"}},
    {"objekteigenschaftenrueckgaengig", {"Rückgängig"}},
    {"schrittweite", {"Schrittweite 1.0 mm", "Schrittweite 0.1 mm"}},
    {"bildspiegelndrehen", {"horizontal spiegeln", "vertikal spiegeln", "um 180° drehen"}},
    {"filter", {"Filter"}},
    {"texteingabefeld", {"Text-Eingabefeld"}},
    {"textbausteinfeld", {"Textbausteine-Eingabefeld"}},
    {"schriftenauswahl", {"Schriftenauswahl"}},
    {"schriftgroesse", {"Schriftgröße"}},
    {"formatierung",
     {"Fett an/aus", "Kursiv an/aus", "Unterstrichen an/aus", "Durchgestrichen an/aus"}},
    {"drehungtext",
     {"Drehung auf -90°", "Drehung auf 0°", "Drehung auf 90°", "Drehung auf 180°",
      "Drehwinkel in °"}},
    {"ausrichtung", {"linksbündig", "mittig", "rechtsbündig"}},
    {"schriftdialog", {"Schriftdialog"}},
    {"farbetext", {"Farbe für Text und Schatten"}},
    {"schatten",
     {"Textschatten hinzufügen/löschen", "horizontaler Abstand des Schattens vom Text",
      "vertikaler Abstand des Schattens vom Text"}},
};

} // namespace

QString HelpTopicForHint(const QString& longHint)
{
    QString topic = QString::fromLatin1(HelpContentsTopic);
    for (const TopicHints& entry : table) {
        for (const char* hint : entry.hints) {
            if (hint && longHint == QString::fromUtf8(hint))
                topic = QString::fromLatin1(entry.topic);
        }
    }
    return topic;
}

QStringList AllHelpTopics()
{
    QStringList topics;
    for (const TopicHints& entry : table)
        topics << QString::fromLatin1(entry.topic);
    return topics;
}
