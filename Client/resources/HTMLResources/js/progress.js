// Every progress bar on the page: a ".progress" element holding a ".bar" with its
// ".fill" and a ".percent" text. Events bring the percent as text, perhaps with a
// fraction, out of range or not a number at all; every bar shows it the same way:
// a whole number from 0 to 100, written "42%" in both languages.
var Progress = (function () {
    // Truncated, not rounded: a bar reads 100% only once the work is done.
    function clamp(percent) {
        var value = Math.trunc(Number(percent));
        return isFinite(value) ? Math.max(0, Math.min(100, value)) : 0;
    }

    function show(bar, percent) {
        var value = clamp(percent);
        bar.querySelector(".fill").style.width = value + "%";
        bar.querySelector(".percent").textContent = value + "%";
        return value;
    }

    return { show: show };
})();
