#include "translations/texts.h"

#include <QCoreApplication>
#include <QPointer>
#include <QTranslator>

void installRussianTexts()
{
    // Per application object: a test may make a new one after the first is gone.
    static QPointer<QTranslator> installed;
    if (installed)
        return;
    // The resource sits in a static library: referenced here, or the linker leaves it out.
    Q_INIT_RESOURCE(translations);
    auto *texts = new QTranslator(QCoreApplication::instance());
    if (!texts->load(QStringLiteral(":/translations/velmor4_ru.qm")))
        qFatal("the Russian texts are not in the program");
    QCoreApplication::installTranslator(texts);
    installed = texts;
}

QString asClause(const QString &sentence)
{
    QString clause = sentence;
    while (clause.endsWith(QLatin1Char('.')) || clause.endsWith(QLatin1Char('!')))
        clause.chop(1);
    if (!clause.isEmpty())
        clause[0] = clause.at(0).toLower();
    return clause;
}
