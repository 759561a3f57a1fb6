// The plug-in module Ionvale.so: the plug-in object's Qt entry points and
// the verification text of the Qt it was built with.
#include "tionvale.h"

#include <QtGlobal>
#include <QtPlugin>

#ifdef QT_NO_DEBUG
#define IONVALE_DEBUG_TEXT "false"
#else
#define IONVALE_DEBUG_TEXT "true"
#endif

extern "C" Q_DECL_EXPORT const char* qt_plugin_query_verification_data()
{
    static const char text[] = "pattern=QT_PLUGIN_VERIFICATION_DATA\n"
                               "version=" QT_VERSION_STR "\n"
                               "debug=" IONVALE_DEBUG_TEXT "\n"
                               "buildkey=Linux gcc full-config";
    return text;
}

// moc's entry points of the plug-in object: one object kept in a guarded
// pointer (a new one once the host has deleted it), and its metadata.
const QStaticPlugin qt_static_plugin_TIonvale();

extern "C" Q_DECL_EXPORT QObject* qt_plugin_instance()
{
    return qt_static_plugin_TIonvale().instance();
}

extern "C" Q_DECL_EXPORT const char* qt_plugin_query_metadata()
{
    return qt_static_plugin_TIonvale().rawMetaData();
}
