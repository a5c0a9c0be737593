// Person names: a surname word followed by a one- or two-character given
// name, in a context that makes a name likely, becomes one word tagged nr
// whose surname takes its surname reading. Runs right after word building,
// so it sees the lexicon's words and tags; the name model of the library
// says which characters are surnames and given-name characters.
#include <string_view>

#include "frontend/analysis/chinese_analysis.h"
#include "frontend/intake/internal_code.h"
#include "frontend/normalisation/internal_text.h"

namespace kvo::frontend {

namespace {

using List = std::u16string_view;

constexpr int16_t kTagSurname = 40;  // nrf: a surname, the start of a name
constexpr int16_t kTagGiven = 41;    // nrg: a given-name part

// Compound surnames.
constexpr List kCompoundSurnames[] = {
    u"万俟", u"司马", u"上官", u"欧阳", u"夏侯", u"诸葛", u"闻人", u"东方", u"赫连", u"皇甫", u"尉迟", u"公羊", u"澹台",
    u"公冶", u"宗政", u"濮阳", u"淳于", u"单于", u"太叔", u"申屠", u"公孙", u"仲孙", u"轩辕", u"令狐", u"钟离", u"宇文",
    u"长孙", u"慕容", u"鲜于", u"闾丘", u"司徒", u"司空", u"亓官", u"司寇", u"仉督", u"子车", u"颛孙", u"端木", u"巫马",
    u"公西", u"漆雕", u"乐正", u"壤驷", u"公良", u"拓拔", u"夹谷", u"宰父", u"谷粱", u"晋楚", u"闫法", u"汝鄢", u"涂钦",
    u"段干", u"百里", u"东郭", u"南门", u"呼延", u"归海", u"羊舌", u"微生", u"岳帅", u"缑亢", u"况后", u"有琴", u"梁丘",
    u"左丘", u"东门", u"西门", u"商牟", u"佘佴", u"伯赏", u"南宫", u"墨哈", u"谯笪", u"年爱", u"阳佟", u"第五", u"言福",
};

// Titles and words that follow a name (张主任, 王老).
constexpr List kTitlesAfter[] = {
    u"同志",   u"总书记", u"市长", u"式",     u"小组", u"精神",   u"主席",   u"主任", u"书记", u"总理", u"处长",
    u"祠墓",   u"墓",     u"祠",   u"局长",   u"科长", u"股长",   u"老人",   u"会长", u"上将", u"中将", u"少将",
    u"将军",   u"子女",   u"爷爷", u"博士",   u"教授", u"路线",   u"专案组", u"烈士", u"委员", u"本人", u"外长",
    u"九段",   u"八段",   u"七段", u"六段",   u"五段", u"四段",   u"三段",   u"二段", u"初段", u"一行", u"等",
    u"副",     u"个人",   u"主编", u"小时候", u"终于", u"老",     u"家人",   u"大妈", u"妈妈", u"秘书", u"院士",
    u"原名",   u"师徒",   u"女士", u"某",     u"遗骨", u"先生",   u"大娘",   u"办",   u"导演", u"排长", u"总统",
    u"小朋友", u"厂长",   u"男单", u"女单",   u"医生", u"事务所", u"大师",
};

// Verbs before a name (请张三, 会见李四).
constexpr List kVerbsBefore[] = {
    u"请",   u"欢迎", u"令",   u"问",   u"送",   u"叫",   u"给",   u"任命", u"开除", u"接见", u"会见", u"表扬",
    u"是",   u"赞同", u"为",   u"乃",   u"即",   u"记",   u"有",   u"授予", u"看望", u"判处", u"带",   u"像",
    u"关照", u"随同", u"就是", u"拥有", u"等待", u"类似", u"战胜", u"面对", u"撤销", u"促成", u"熟悉", u"学习",
    u"陪同", u"宣讲", u"写",   u"记载", u"见到", u"出自", u"贯彻", u"帮助", u"正如", u"遗失", u"反对", u"宣传",
    u"知道", u"解读", u"加害", u"理解", u"只见", u"读",   u"正是", u"难怪",
};

// Adverbs after a name, when a verb follows them (张三也说).
constexpr List kAdverbsAfter[] = {
    u"也", u"遂",   u"还",   u"虽然", u"已", u"仍",   u"仍然", u"就", u"率先", u"亲自", u"则", u"永远", u"刚",
    u"又", u"几乎", u"渐渐", u"终于", u"常", u"十分", u"全然", u"共", u"大力", u"已经", u"即", u"所",
};

// Roles and relations before a name (记者张三, 其子李四).
constexpr List kRolesBefore[] = {
    u"市长",     u"总书记",   u"记者",     u"典型",     u"共产党员", u"支书",     u"外交部长", u"总参谋长",   u"部长",
    u"国务委员", u"总理",     u"秘书",     u"主席",     u"主任",     u"书记",     u"处长",     u"主任委员",   u"委员长",
    u"总编辑",   u"农家女",   u"组长",     u"卫生部长", u"大使",     u"运动员",   u"队员",     u"艺术家",     u"同伴",
    u"选手",     u"教练",     u"导演",     u"部下",     u"后人",     u"摄影家",   u"老人",     u"夫人",       u"局长",
    u"科长",     u"股长",     u"客座教授", u"教授",     u"导师",     u"村民",     u"研究生",   u"助理",       u"家",
    u"史学家",   u"专家",     u"学者",     u"媳妇",     u"院士",     u"博士生",   u"院长",     u"主力",       u"小将",
    u"名将",     u"副所长",   u"所长",     u"作者",     u"大哥",     u"革命家",   u"顾问",     u"劳动模范",   u"村农民",
    u"其子",     u"妻子",     u"妻",       u"女儿",     u"董事长",   u"厅长",     u"宣传部长", u"台长",       u"老师",
    u"省长",     u"工人",     u"职工",     u"农民",     u"校长",     u"其父",     u"经理",     u"姑娘",       u"名人",
    u"领导人",   u"负责人",   u"劳模",     u"会长",     u"干部",     u"文人",     u"行长",     u"党小组长",   u"教师",
    u"检察长",   u"学生",     u"队友",     u"外长",     u"议员",     u"棋王",     u"女工",     u"人大代表",   u"常委会",
    u"政委",     u"前辈",     u"晚辈",     u"总工程师", u"工程师",   u"巡视员",   u"总经理",   u"表演艺术家", u"船长",
    u"教导员",   u"原名",     u"画家",     u"奠基人",   u"丈夫",     u"恩师",     u"公安局长", u"市民",       u"师长",
    u"将领",     u"部",       u"总裁",     u"参谋长",   u"县",       u"总统",     u"厂长",     u"司令员",     u"种植户",
    u"父亲",     u"国防部长", u"通信员",   u"通讯员",   u"民工",     u"党委书记", u"果农",     u"同学",       u"名医",
    u"科学家",   u"连队",     u"建筑师",   u"创始人",   u"千金",     u"商人",     u"大儿子",   u"儿子",       u"子",
    u"好友",     u"女孩",
};

// Verbs after a name (张三表示, 李四说).
constexpr List kVerbsAfter[] = {
    u"表示", u"失去", u"提出", u"提",   u"解释", u"介绍", u"强调", u"应邀", u"主演", u"合著", u"摄",   u"担纲", u"报道",
    u"认为", u"代表", u"说",   u"表达", u"获",   u"叫",   u"利用", u"到会", u"相遇", u"率领", u"历任", u"任",   u"赞同",
    u"主持", u"出席", u"苦战", u"殉难", u"回忆", u"追忆", u"现任", u"著",   u"知道", u"问",   u"离休", u"是",   u"出版",
    u"沉思", u"出自", u"会见", u"发现", u"造出", u"持枪", u"施加", u"驾车", u"抱病", u"到",   u"赠",   u"可以", u"告诉",
    u"酷爱", u"评",   u"见到", u"来",   u"访问", u"帮",   u"试",   u"指出", u"答",   u"遇到", u"将",   u"热爱", u"不顾",
    u"用",   u"掏",   u"主罚", u"开场", u"回答", u"分析", u"聊",   u"作",   u"钓",   u"建成", u"射门", u"参赛", u"受到",
    u"持",   u"负有", u"指示", u"报告", u"有",   u"无",   u"会",   u"给",   u"考察", u"宣讲", u"观看", u"要求", u"赞扬",
    u"结束", u"勉励", u"欢迎", u"乘坐", u"宣布", u"接受", u"领导", u"撰写", u"参加", u"创作", u"举行", u"感受", u"看",
    u"发动", u"绊倒", u"外出", u"听说", u"私心", u"奉",   u"称",   u"被铺", u"写道", u"见",   u"陪",   u"醒",
};

// Further words that follow a name (张三逝世, 李四在).
constexpr List kFurtherAfter[] = {
    u"自豪", u"光荣", u"逝世", u"笑", u"想", u"满怀信心", u"感慨",     u"应该", u"首先",
    u"在",   u"有",   u"病逝", u"带", u"率", u"当即",     u"深有感触", u"当时", u"右倾",
};

// Words about a person's life and work after a name (张三生平).
constexpr List kLifeAfter[] = {
    u"生平", u"手笔", u"力作", u"专场", u"生前", u"一生", u"突然", u"时代",
    u"本人", u"作品", u"例外", u"编",   u"订",   u"生活", u"一路",
};

// Organisations and places before a name (公司王五).
constexpr List kOrganisationsBefore[] = {
    u"局",     u"北京",   u"上海",   u"日报社", u"管理部", u"管理站",   u"河北",
    u"研究所", u"辽宁队", u"中国队", u"队",     u"电台",   u"人民法院", u"公司",
};

// Surname characters that are far more often something else.
constexpr List kUnlikelySurnames[] = {
    u"是", u"三", u"四", u"五", u"买", u"鱼", u"庙", u"东", u"大", u"部", u"所", u"都", u"过", u"上", u"时", u"零",
    u"那", u"储", u"其", u"老", u"圣", u"由", u"从", u"种", u"进", u"姓", u"乘", u"赛", u"让", u"有", u"同", u"朝",
    u"但", u"却", u"和", u"原", u"信", u"家", u"沟", u"将", u"后", u"黑", u"千", u"土", u"寄", u"步", u"问", u"向",
    u"亮", u"飞", u"封", u"山", u"民", u"先", u"小", u"全", u"於", u"年", u"後", u"昌", u"笑", u"刚", u"双", u"成",
    u"光", u"西", u"雅", u"奏", u"阿", u"布", u"台", u"多", u"真", u"亢", u"明", u"校", u"尔", u"主", u"掌", u"类",
    u"晋", u"幸", u"子", u"宫", u"神", u"景", u"南", u"余", u"来", u"处", u"修", u"谈", u"连", u"相", u"闻", u"见",
    u"米", u"富", u"青", u"阴", u"淡", u"巨", u"丘", u"坚", u"水", u"出", u"名", u"接", u"字", u"师", u"于", u"直",
    u"法", u"唯", u"世", u"支", u"操", u"能", u"贵", u"求", u"未", u"诸", u"强", u"应", u"游", u"皇", u"虎", u"哈",
    u"心", u"风", u"越", u"死", u"刀", u"回", u"长", u"金", u"运", u"纵", u"行", u"冷", u"辰", u"顿",
};

// A second given-name character that is rather the next word (张三在).
constexpr List kNotGivenSecond[] = {u"在", u"传", u"从", u"县", u"村", u"说", u"曰", u"道", u"路"};

// Marks that may stand around a name.
constexpr List kMarks[] = {u"（", u"）", u"《", u"》", u"【", u"】", u"「", u"」",
                           u"“",  u"”",  u"‘",  u"’",  u"：", u"(",  u")",  u":"};
// The marks that license 和 as the second given-name character.
constexpr List kMarksAfterHe[] = {u"（", u"）", u"《", u"》", u"“", u"”", u"：", u"‘", u"’", u"(", u")", u":"};

// A word of the list, or none: every test on a missing word fails.
struct View {
  const WordRecord* word = nullptr;

  bool exists() const { return word != nullptr; }
  int length() const { return word == nullptr ? 0 : word->length; }
  bool Tagged(int tag) const { return word != nullptr && word->pos == tag; }
  bool TaggedIn(int first, int last) const { return word != nullptr && word->pos >= first && word->pos <= last; }
  uint16_t First() const { return word == nullptr ? 0 : word->chars[0]; }
  // Begins with text (after one leading space).
  bool Begins(List text) const {
    if (word == nullptr) return false;
    int skip = word->chars[0] == ' ' && word->length > 1 ? 1 : 0;
    return CodesStartWith(word->chars + skip, word->length - skip, text);
  }
  bool BeginsAny(const List* lists, size_t count) const {
    for (size_t i = 0; i < count; ++i)
      if (Begins(lists[i])) return true;
    return false;
  }
  template <size_t N>
  bool BeginsAny(const List (&lists)[N]) const {
    return BeginsAny(lists, N);
  }
  bool Is(List text) const { return word != nullptr && CodesEqual(word->chars, word->length, text); }
};

View At(const WordList& words, int i) {
  View v;
  if (i >= 0 && i < words.count) v.word = &words.words[i];
  return v;
}

bool IsCompoundSurname(uint16_t first, uint16_t second) {
  const uint16_t pair[2] = {first, second};
  for (List c : kCompoundSurnames)
    if (CodesEqual(pair, 2, c)) return true;
  return false;
}

// Shapes of a name: how many words it covers and whether its surname is a
// compound written as two words.
enum class Surname { kSingle, kCompoundWord, kCompoundTwoWords };

class NameFinder {
 public:
  NameFinder(const AnalysisResources& res, WordList* words) : res_(res), words_(*words) {}

  void Run() {
    int k = 0;
    while (k < words_.count) k = Visit(k);
    Merge();
  }

 private:
  // A given-name character: in the list, or a character read by its code.
  bool Given(int list, uint16_t code) const {
    return res_.names.Contains(list, code) || IsReadingCode(code, res_.syllableCodeCount);
  }
  bool OneChar(const View& v) const { return v.length() == 1; }
  // A numeral, or a two-character verb or adverb, is no given name: 任一个,
  // 曾相识, 要收拾 read as words, not names. Nor is a verb alone after the
  // surname (曾说, 解锁).
  static bool NotGiven(const View& v) {
    return v.TaggedIn(34, 36) || (v.length() == 2 && (v.TaggedIn(79, 87) || v.Tagged(8)));
  }

  // Tries a name at word k; returns where the walk goes on.
  int Visit(int k) {
    const View s = At(words_, k);
    const View w1 = At(words_, k + 1);
    Surname kind;
    if (s.length() == 1 && res_.names.Contains(kNameSurnames, s.First())) {
      if (!w1.exists()) return k + 1;
      kind = OneChar(w1) && IsCompoundSurname(s.First(), w1.First()) ? Surname::kCompoundTwoWords : Surname::kSingle;
    } else if (s.length() == 2 && IsCompoundSurname(s.word->chars[0], s.word->chars[1])) {
      kind = Surname::kCompoundWord;
    } else {
      return k + 1;
    }
    // A title after the surname: the surname alone (张主任).
    if (w1.BeginsAny(kTitlesAfter)) {
      if (Rejected(k, kind)) return k + 1;
      Tag(k, 1, 1);
      return k + 2;
    }
    if (kind == Surname::kSingle && (At(words_, k - 1).Is(u"小") || At(words_, k - 1).Is(u"老"))) {
      if (Unlikely(k)) return k + 1;
      Tag(k, 1, 1);
      return k + 1;
    }
    const int span = Shape(k, kind);
    if (span == 0 || Rejected(k, kind) || !Accepted(k, span, kind)) return k + 1;
    Tag(k, span, kind == Surname::kCompoundTwoWords ? 2 : 1);
    return k + span;
  }

  // Words the name covers (surname included), or 0 when no shape fits.
  int Shape(int k, Surname kind) const {
    const View w1 = At(words_, k + 1), w2 = At(words_, k + 2), w3 = At(words_, k + 3);
    const NameList first = kNameGivenFirst, second = kNameGivenSecond;
    const int given = kind == Surname::kCompoundTwoWords ? 2 : 1;
    if (NotGiven(At(words_, k + given))) return 0;
    switch (kind) {
      case Surname::kSingle:
        if (w1.length() == 2 && Given(first, w1.word->chars[0]) && Given(second, w1.word->chars[1])) return 2;
        if (OneChar(w1) && OneChar(w2) && Given(first, w1.First()) && Given(second, w2.First()) && !NotGiven(w2) &&
            !w2.BeginsAny(kNotGivenSecond) && HeMayEndName(k, w2))
          return 3;
        if (w1.length() <= 2 && Given(kNameSingleGiven, w1.First()) && !w1.TaggedIn(79, 87)) return 2;
        return 0;
      case Surname::kCompoundWord:
        if (!w1.exists()) return 0;
        if (OneChar(w1) && OneChar(w2) && Given(first, w1.First()) && Given(second, w2.First()) && !NotGiven(w2))
          return 3;
        if (w1.length() == 2 && Given(first, w1.word->chars[0]) && Given(second, w1.word->chars[1])) return 2;
        if (w1.length() <= 2 && Given(kNameSingleGiven, w1.First()) && !w1.TaggedIn(79, 87)) return 2;
        return 0;
      case Surname::kCompoundTwoWords:
        if (OneChar(w2) && OneChar(w3) && Given(first, w2.First()) && Given(second, w3.First()) && !NotGiven(w3))
          return 4;
        if (w2.length() == 2 && Given(first, w2.word->chars[0]) && Given(second, w2.word->chars[1])) return 3;
        if (w2.length() >= 1 && w2.length() <= 2 && Given(kNameSingleGiven, w2.First()) && !w2.TaggedIn(79, 87))
          return 3;
        return 0;
    }
    return 0;
  }

  // 和 ends a given name only when a mark follows soon in a long sentence.
  bool HeMayEndName(int k, const View& w2) const {
    if (!w2.Is(u"和") || words_.count - k - 1 < 5) return true;
    return At(words_, k + 3).BeginsAny(kMarksAfterHe);
  }

  bool Unlikely(int k) const {
    const View s = At(words_, k);
    return s.BeginsAny(kUnlikelySurnames) && !(s.Begins(u"上") && At(words_, k + 1).Begins(u"官"));
  }

  bool Rejected(int k, Surname kind) const {
    const View s = At(words_, k), w1 = At(words_, k + 1), w2 = At(words_, k + 2);
    const View pv = At(words_, k - 1);
    auto begins_one_of = [&s](List chars) {
      for (char16_t c : chars)
        if (s.Begins(List(&c, 1))) return true;
      return false;
    };
    if (begins_one_of(u"张年百元位万项") && pv.TaggedIn(34, 36)) return true;
    if (s.Begins(u"向") && pv.Is(u"还")) return true;
    if (s.Begins(u"向") && w1.Tagged(39)) return true;
    if (s.Is(u"卢") && w1.Is(u"中")) return true;
    if (begins_one_of(u"国于有让百庙由") && w1.length() > 1) return true;
    if (begins_one_of(u"第百有让") && OneChar(w1) && w1.Tagged(34) && OneChar(w2) && w2.Tagged(49)) return true;
    if (s.Begins(u"让") && OneChar(w1) && w1.Tagged(39)) return true;
    if (s.Begins(u"和")) {
      if (w1.length() == 2 || w1.Tagged(34)) return true;
      if (pv.TaggedIn(37, 45)) return true;
      if (w1.Tagged(38) && w2.TaggedIn(79, 87)) return true;
      if (w1.Begins(u"就") && w2.Begins(u"义")) return true;
      if (pv.Tagged(61)) return true;
    }
    if (s.Begins(u"进") && pv.TaggedIn(79, 87)) return true;
    if ((s.Begins(u"经") || s.Begins(u"应")) && w1.Tagged(42)) return true;
    if (s.Begins(u"长") && w1.Begins(u"汀")) return true;
    if (s.Begins(u"向") && (w1.length() > 1 || pv.TaggedIn(37, 45))) return true;
    if (begins_one_of(u"将出德楼区法") && w1.length() > 1) return true;
    if ((s.Begins(u"那") && w1.Is(u"个人")) || (s.Begins(u"曾") && w1.Is(u"多次"))) return true;
    // The unlikely surnames are single ones: 诸葛 and 东方 stay names.
    return kind == Surname::kSingle && Unlikely(k);
  }

  // Words of verb, adverb, function-word, numeral, measure or localiser
  // classes: as a given-name character they need a context that says name.
  static bool FunctionLike(const View& v) {
    return v.TaggedIn(80, 87) || v.TaggedIn(7, 10) || v.TaggedIn(34, 36) || v.TaggedIn(48, 66) || v.TaggedIn(71, 78) ||
           v.Tagged(6) || v.Tagged(11) || v.Tagged(12) || v.Tagged(46) || v.Tagged(47) || v.Tagged(105);
  }

  // Whether a name at either end of the sentence holds without context.
  // Compound surnames do; a single surname needs a given name that cannot
  // be read as ordinary words: not one character (任秋, 华休), not a
  // lexicon word of another class (乐杀人, 折梨花), not a verb or function
  // word (月华如练, 盖心无染). Short clauses of verse and commands are full
  // of such pairs, and the surname reading would change their sound.
  bool StandsAlone(int k, int span, Surname kind) const {
    if (kind != Surname::kSingle) return true;
    if (span == 2) {
      const View given = At(words_, k + 1);
      return given.length() == 2 && given.TaggedIn(39, 45);
    }
    return !FunctionLike(At(words_, k + 1)) && !FunctionLike(At(words_, k + 2));
  }

  bool Accepted(int k, int span, Surname kind) const {
    const int next = k + span;
    // At either end of the sentence a name may need no context.
    if ((k == 0 || next >= words_.count - 1) && StandsAlone(k, span, kind)) return true;
    const View pv = At(words_, k - 1), pv2 = At(words_, k - 2);
    const View nx = At(words_, next), nx1 = At(words_, next + 1);
    if (pv.BeginsAny(kRolesBefore)) return true;
    if ((pv.Tagged(79) || pv.Tagged(80) || pv.Tagged(84)) && pv.BeginsAny(kVerbsBefore)) return true;
    if (pv.Tagged(42) || pv.Tagged(69) || pv.BeginsAny(kOrganisationsBefore)) return true;
    if (pv.Tagged(41) || pv.Tagged(47) || pv.Tagged(6)) return true;
    if (pv.Is(u"的") || pv.Is(u"、") || pv.Is(u"把") || pv.Is(u"时")) return true;
    if ((pv.exists() && pv.First() == ' ') || pv.BeginsAny(kMarks)) return true;
    if (pv2.TaggedIn(79, 87) && pv.Begins(u"了")) return true;

    if (nx.BeginsAny(kTitlesAfter) || nx.BeginsAny(kVerbsAfter) || nx.BeginsAny(kFurtherAfter) ||
        nx.BeginsAny(kLifeAfter))
      return true;
    for (List one : {u"的", u"之", u"还", u"为", u"、"})
      if (nx.Is(one)) return true;
    // A clause mark after the name ends the clause: no more evidence than
    // the end of the sentence.
    for (List one : {u"，", u"。", u",", u"."})
      if (nx.Is(one) && StandsAlone(k, span, kind)) return true;
    if (nx.Begins(u"为") || nx.BeginsAny(kMarks)) return true;
    if ((nx.Begins(u".") || nx.Begins(u",")) && StandsAlone(k, span, kind)) return true;
    if (nx.Tagged(47) || nx.Tagged(6) || nx.Tagged(69) || (nx.Tagged(15) && nx.length() > 1)) return true;
    if (nx.BeginsAny(kAdverbsAfter) && nx1.BeginsAny(kVerbsAfter)) return true;
    if ((nx.Tagged(2) || nx.Tagged(8) || nx.Tagged(9)) && (nx1.Tagged(28) || nx1.TaggedIn(78, 87))) return true;
    if (nx.Tagged(34) && nx1.Is(u"比")) return true;
    if (OneChar(nx) && nx.Tagged(34) && nx1.Is(u"段")) return true;

    if (pv.Begins(u"除") && (nx.Begins(u"外") || nx.Is(u"以外"))) return true;
    if (pv.Begins(u"上") && nx.Begins(u"当")) return true;
    if (pv.Begins(u"连") && (nx.Begins(u"都") || nx.Begins(u"也"))) return true;
    if (pv.Begins(u"和") && nx.Is(u"相比")) return true;
    return false;
  }

  // Tags the surname words 40 and the rest of the span 41.
  void Tag(int k, int span, int surname_words) {
    for (int i = 0; i < span; ++i) words_.words[k + i].pos = i < surname_words ? kTagSurname : kTagGiven;
  }

  // The surname reading of a surname word (one character, or a compound
  // with its own readings).
  static void SurnameReading(WordRecord* word) {
    if (word->length == 1) {
      const uint16_t r = PersonSurnameReading(word->chars[0]);
      if (r != kUnknownPinyin) word->pinyin[0] = r;
    } else if (word->length == 2) {
      uint16_t r[2];
      if (CompoundSurnameReading(word->chars[0], word->chars[1], r)) {
        word->pinyin[0] = r[0];
        word->pinyin[1] = r[1];
      }
    }
  }

  // Joins words [at, at + n) into one word tagged nr; false (no change)
  // when they do not fit one word.
  bool Join(int at, int n) {
    int total = 0;
    for (int i = 0; i < n; ++i) total += words_.words[at + i].length;
    if (total > kMaxWordChars) return false;
    WordRecord& into = words_.words[at];
    for (int i = 1; i < n; ++i) {
      const WordRecord& from = words_.words[at + i];
      for (int c = 0; c < from.length; ++c) {
        into.chars[into.length] = from.chars[c];
        into.pinyin[into.length] = from.pinyin[c];
        ++into.length;
      }
    }
    into.pos = kTagPerson;
    for (int w = at + 1; w + n - 1 < words_.count; ++w) words_.words[w] = words_.words[w + n - 1];
    words_.count -= n - 1;
    return true;
  }

  void Merge() {
    for (int k = 0; k < words_.count; ++k) {
      if (words_.words[k].pos != kTagSurname) continue;
      const View pv = At(words_, k - 1), w1 = At(words_, k + 1), w2 = At(words_, k + 2), w3 = At(words_, k + 3);
      WordRecord& s = words_.words[k];
      if ((pv.Is(u"老") || pv.Is(u"小")) && !w1.Tagged(kTagGiven)) {
        const WordRecord saved = s;
        SurnameReading(&s);
        if (Join(k - 1, 2)) {
          --k;  // the word after it now stands at k
        } else {
          s = saved;
        }
        continue;
      }
      if (w1.Tagged(37) || w1.Tagged(38) || w1.Is(u"老") || w1.Is(u"氏")) {
        JoinWithReading(k, 2, false);
        continue;
      }
      if (w1.Tagged(kTagSurname) && w2.Tagged(kTagGiven) && w3.Tagged(kTagGiven)) {
        JoinWithReading(k, 4, true);
        continue;
      }
      if ((w1.Tagged(kTagSurname) || w1.Tagged(kTagGiven)) && w2.Tagged(kTagGiven)) {
        JoinWithReading(k, 3, w1.Tagged(kTagSurname));
        continue;
      }
      if (w1.Tagged(kTagSurname) || w1.Tagged(kTagGiven)) {
        JoinWithReading(k, 2, w1.Tagged(kTagSurname));
        continue;
      }
      if (!w1.exists()) {
        SurnameReading(&s);
        s.pos = kTagPerson;
      }
      // Otherwise the surname stands alone and keeps its reading.
    }
  }

  // Surname reading (of a compound written as two words when compound is
  // set), then the join; nothing changes when the words do not fit.
  void JoinWithReading(int k, int n, bool compound) {
    WordRecord& s = words_.words[k];
    const WordRecord saved = s;
    if (compound) {
      WordRecord& second = words_.words[k + 1];
      uint16_t r[2];
      if (s.length == 1 && second.length == 1 && CompoundSurnameReading(s.chars[0], second.chars[0], r)) {
        s.pinyin[0] = r[0];
        const uint16_t second_saved = second.pinyin[0];
        second.pinyin[0] = r[1];
        if (!Join(k, n)) {
          s = saved;
          second.pinyin[0] = second_saved;
        }
        return;
      }
    } else {
      SurnameReading(&s);
    }
    if (!Join(k, n)) s = saved;
  }

  const AnalysisResources& res_;
  WordList& words_;
};

}  // namespace

bool RecognisePersonNames(const AnalysisResources& res, WordList* words) {
  if (words == nullptr || res.names.empty()) return true;
  NameFinder(res, words).Run();
  return true;
}

}  // namespace kvo::frontend
