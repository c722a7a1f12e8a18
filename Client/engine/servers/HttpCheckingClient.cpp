#include "engine/servers/HttpCheckingClient.h"

#include "engine/servers/PatchesTree.h"
#include "engine/servers/ServerFaults.h"

RefPtr<HttpCheckingClient> HttpCheckingClient::Create(const ServerAddress& address, const ServerDocuments& documents,
                                                      const WideStringVector& installed, const WideStringVector& planned) {
    if (installed.Empty() || planned.Empty()) return nullptr;
    WideStringVector chain(installed);
    chain.InsertRange(chain.Size(), planned.begin(), planned.end());
    return RefPtr<HttpCheckingClient>(new HttpCheckingClient(address, documents, chain));
}

bool HttpCheckingClient::Request() {
    return fetcher_.First<&HttpCheckingClient::OnHistory, &HttpCheckingClient::ReportNetworkError, &HttpCheckingClient::ReportBadStatus>(
        this, documents_.patchesHistory);
}

bool HttpCheckingClient::OnHistory(const char* data, std::size_t length) {
    const RefPtr<PatchesTree> tree = PatchesTree::Load(AnswerStream(data, length).Get());
    if (!tree) {
        ServerError.Fire(ServerFault::kBadDocument);
    } else if (PatchesTree::CheckChain(*tree, chain_)) {
        ChainValid.Fire();
    } else {
        ChainBroken.Fire();
    }
    return true;
}
