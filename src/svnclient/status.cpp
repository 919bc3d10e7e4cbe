#include "svnclient/status.h"

#include "svnclient/status_xml.h"

namespace svnclient {

ClientResult SvnStatusXml(const std::string& folder, const StatusSink& onEntry,
                          const std::atomic<bool>* stop, const std::function<void()>& onDrained) {
    StatusXmlReader reader(onEntry);
    return RunXmlClient({Plain("status"), Plain("--xml"), Target(folder)}, reader, stop, onDrained);
}

TreeConflict SvnTreeConflict(const std::string& path, ClientResult* result) {
    TreeConflictXmlReader reader;
    const ClientResult r =
        RunXmlClient({Plain("info"), Plain("--xml"), Target(path)}, reader, nullptr);
    if (result != nullptr) *result = r;
    return r.errors.empty() ? reader.Conflict() : TreeConflict{};
}

}  // namespace svnclient
