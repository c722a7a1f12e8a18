#pragma once
// The root of the workflow: the preferences (key 1), the locale (key 2) and the one
// main-flow state (key 3). A command no child takes goes to the root's own switch,
// which starts the feature the code names or handles the code itself.
#include "workflow/FeatureFactories.h"
#include "workflow/IMainWindow.h"
#include "workflow/MultiState.h"

class MainState final : public MultiState {
public:
    static constexpr int kPrefsKey = 1;
    static constexpr int kLocaleKey = 2;
    static constexpr int kMainFlowKey = 3;
    // The reserved channel's ceiling in kB/s: its bytes per second still fit an int.
    static constexpr float kMaxChannelKBps = 2000000.0f;

    static MainState* Create(IMainWindow* window, const FeatureFactories& factories = FeatureFactories::Installed());

    bool OnCommand(int code, const WideString& argument) override;

    // 11: "switch|address".
    void SetServerList(const WideString& argument);
    // 12: "switch[:kB/s]".
    void ReserveChannel(const WideString& argument);
    // 2000: the desktop's firewall settings, when a tool for them is installed; without
    // one, "Launcher.OnFirewallSettingsMissing" with the first and last listen port.
    bool OpenFirewallSettings();
    // 9000.
    bool SetLogin(const WideString& login);
    // 10000, 10001, 10002.
    bool AskForFullVersion();
    bool StartFullVersionDownload();
    bool CancelFullVersionDownload();

private:
    MainState(IMainWindow* window, const FeatureFactories& factories);
    ~MainState() override = default;

    bool RootCommand(int code, const WideString& argument);
    bool StartFeature(int key, const FeatureFactory& factory, const WideString& argument);
    bool StartContainer(const FeatureFactory& factory, int code, const WideString& argument);
    void EndWithRestart(bool inPlace);

    IMainWindow* window_;
    FeatureFactories factories_;
    // The container last put into the main-flow slot, and the factory that made it.
    struct {
        const FeatureFactory* factory = nullptr;
        const IState* state = nullptr;
    } mainFlowContainer_;
};
