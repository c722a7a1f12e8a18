// The fast check of the installed files against the description of the installed game:
// its button and its verdict in words. The launcher answers as soon as the check is
// done; without a readable description it sends nothing, so a check that stays
// unanswered is told as such after a while (a late verdict still replaces that text).
(function () {
    var kNoAnswerMs = 10000;
    var noAnswer = 0;

    function element(id) { return document.getElementById(id); }

    function showResult(key) {
        var result = element("fastCheckResult");
        result.setAttribute("data-text", key);
        result.textContent = Texts.get(key);
    }

    function finish(key) {
        window.clearTimeout(noAnswer);
        element("fastCheckRun").disabled = false;
        showResult(key);
    }

    document.addEventListener("DOMContentLoaded", function () {
        // The button's data-command sends 40; this only shows that it was sent.
        element("fastCheckRun").addEventListener("click", function () {
            element("fastCheckRun").disabled = true;
            showResult("fastcheck.running");
            window.clearTimeout(noAnswer);
            noAnswer = window.setTimeout(function () { finish("fastcheck.noanswer"); }, kNoAnswerMs);
        });
    });

    App.module("FastCheck", {
        OnSuccess: function () { finish("fastcheck.valid"); },
        // Which file failed is not told: the full check lists them.
        OnFail: function () { finish("fastcheck.damaged"); }
    });
})();
