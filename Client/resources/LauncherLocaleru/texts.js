Texts.define("ru", {
    "title": "Бренник Онлайн",
    "minimise": "Свернуть",
    "exit": "Выход",
    "status.starting": "Запуск…",
    "status.connected": "Связь с программой установлена",
    "status.ready": "Готово",
    "language.ru": "Русский",
    "language.en": "English",
    "site": "Сайт игры",
    // Which optional steps this edition offers.
    "option.progressive": "false"
});
