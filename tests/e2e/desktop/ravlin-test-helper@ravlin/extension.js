// For the end-to-end tests' private GNOME Shell only.
const Main = imports.ui.main;

function init() {}

function enable() {
    // The tests move the pointer and read window places through org.gnome.Shell.Eval.
    global.context.unsafe_mode = true;
    // Banners ("Logged in as a privileged user") would cover the screen the tests read.
    Main.messageTray.bannerBlocked = true;
    // GNOME 40 and later open the overview at start; the tests need the desktop.
    if (Main.layoutManager._startingUp) {
        const hadOverview = Main.sessionMode.hasOverview;
        Main.sessionMode.hasOverview = false;
        Main.layoutManager.connect('startup-complete', () => {
            Main.sessionMode.hasOverview = hadOverview;
        });
    }
}

function disable() {}
